#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "settings/options_file.h"
#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/about_dlg.h"
#include "ui/detail_dlg.h"
#include "ui/lookup_dlg.h"

namespace pelmio {

// How the windows behave on a desktop: where the detail window opens,
// first beside its owner and then where the user left it, and F1.
class WindowBehaviourTest : public QObject {
    Q_OBJECT

private slots:
    void opensBesideTheOwnerNeverOverIt();
    void reopensWhereTheUserLeftIt();
    void f1OpensTheAboutBox();
    void windowsGrowAndKeepTheirSizesAndPlace();
};

namespace {
// A stand-in for the main window, of its size.
void ShowOwner(QDialog& owner, int x, int y) {
    owner.resize(332, 385);
    owner.move(x, y);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
}
}  // namespace

void WindowBehaviourTest::opensBesideTheOwnerNeverOverIt() {
    // Room on the right; then near the right edge, room on the left only.
    for (const int ownerX : {40, 440}) {
        QDialog owner;
        ShowOwner(owner, ownerX, 30);
        CDetailDlg detail;
        detail.showBeside(owner);
        QVERIFY(QTest::qWaitForWindowExposed(&detail));
        const QRect placed = detail.frameGeometry();
        QVERIFY2(!placed.intersects(owner.frameGeometry()), qPrintable(QString::number(ownerX)));
        QVERIFY(owner.screen()->availableGeometry().contains(placed));
        QCOMPARE(placed.top(), owner.frameGeometry().top());
        QCOMPARE(placed.left() > owner.frameGeometry().left(), ownerX == 40);
    }
}

void WindowBehaviourTest::reopensWhereTheUserLeftIt() {
    QDialog owner;
    ShowOwner(owner, 40, 30);
    CDetailDlg detail;
    detail.showBeside(owner);
    QVERIFY(QTest::qWaitForWindowExposed(&detail));
    // Moved as the window manager moves it for the user, not by the program.
    const QPoint userPlace(90, 200);
    detail.windowHandle()->setFramePosition(userPlace);
    QTRY_COMPARE(detail.frameGeometry().topLeft(), userPlace);
    detail.close();
    QVERIFY(!detail.isVisible());
    // The owner has moved meanwhile: the window still comes back where it was.
    owner.move(300, 10);
    detail.showBeside(owner);
    QVERIFY(QTest::qWaitForWindowExposed(&detail));
    QCOMPARE(detail.frameGeometry().topLeft(), userPlace);
    // Shown again while it is open, it stays put.
    detail.showBeside(owner);
    QCOMPARE(detail.frameGeometry().topLeft(), userPlace);
}

void WindowBehaviourTest::f1OpensTheAboutBox() {
    // An empty folder: the missing dictionaries are told to a recorder.
    const testing::TempFolder folder;
    QStringList messages;
    LookupEnvironment environment;
    environment.folder = folder.path();
    environment.showMessage = [&messages](QWidget*, const QString& text, const QString&) {
        messages << text;
    };
    CLookupDlg window(environment);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // The About box is modal: closed from a timer, whatever has the focus.
    bool opened = false;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&opened] {
        if (auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget())) {
            opened = true;
            about->reject();
        }
    });
    closer.start(10);
    QTest::keyClick(window.focusWidget(), Qt::Key_F1);
    closer.stop();
    QVERIFY(opened);
    QCOMPARE(messages.size(), 2);
}

namespace {
// Lists every line and opens the first, as a double-click does.
CDetailDlg* OpenFirstLine(CLookupDlg& window) {
    testing::TypeText(testing::Control<QComboBox>(window, res::kIdKeywordBox), QStringLiteral("g"));
    auto* list = testing::Control<QAbstractItemView>(window, res::kIdResultList);
    list->setCurrentIndex(list->model()->index(0, 0));
    window.ShowEntryDetails();
    return testing::DetailWindow();
}
}  // namespace

void WindowBehaviourTest::windowsGrowAndKeepTheirSizesAndPlace() {
    using testing::Control;
    testing::WindowFixture fixture;
    fixture.writeDictionaries({}, {"go,行く,,g`u"});
    const auto options = fixture.folder / "pelmio-options.txt";
    testing::WriteBytes(options, "colour=blue\nignore-case=1\n");
    const QSize grown(100, 80);
    const QPoint userPlace(300, 250);  // the screen is 800 x 600
    QSize smallest;
    QSize detailSmallest;
    {
        CLookupDlg window(fixture.environment());
        smallest = window.size();
        // The template's layout is the smallest size, and the list takes
        // the growth; the buttons stay centred below it.
        QCOMPARE(window.minimumSize(), smallest);
        QVERIFY(window.maximumWidth() > smallest.width());
        auto* list = Control<QAbstractItemView>(window, res::kIdResultList);
        auto* box = Control<QComboBox>(window, res::kIdKeywordBox);
        auto* close = Control<QPushButton>(window, res::kIdOk);
        auto* count = Control<QLabel>(window, res::kIdResultCount);
        const QRect list0 = list->geometry();
        const QRect box0 = box->geometry();
        const QRect close0 = close->geometry();
        const QRect count0 = count->geometry();
        QVERIFY(testing::ShowActive(window));
        window.resize(smallest + grown);
        QCOMPARE(list->geometry(), list0.adjusted(0, 0, grown.width(), grown.height()));
        QCOMPARE(box->geometry(), box0.adjusted(0, 0, grown.width(), 0));
        QCOMPARE(close->geometry(), close0.translated(grown.width() / 2, grown.height()));
        QCOMPARE(count->geometry(), count0.translated(grown.width(), 0));
        window.resize(10, 10);
        QCOMPARE(window.size(), smallest);
        window.resize(smallest + grown);

        // The detail window: the meaning takes the growth.
        CDetailDlg* detail = OpenFirstLine(window);
        QVERIFY(detail != nullptr && QTest::qWaitForWindowExposed(detail));
        detailSmallest = detail->minimumSize();
        auto* meaning = Control<QWidget>(*detail, res::kIdMeaning);
        auto* speak = Control<QWidget>(*detail, res::kIdSpeak);
        const QRect meaning0 = meaning->geometry();
        const QRect speak0 = speak->geometry();
        detail->resize(detailSmallest + QSize(60, 40));
        QCOMPARE(meaning->geometry(), meaning0.adjusted(0, 0, 60, 40));
        QCOMPARE(speak->geometry(), speak0);
        // The client area's place, as the window manager reports it.
        detail->setGeometry(QRect(userPlace, detail->size()));
        QCOMPARE(detail->geometry().topLeft(), userPlace);
        detail->close();
    }
    // Kept beside the options, every other line with them.
    QCOMPARE(testing::ReadBytes(options).rfind("colour=blue\nignore-case=1\n", 0), 0u);
    WindowGeometry saved;
    saved.mainSize = {{(smallest + grown).width(), (smallest + grown).height()}};
    saved.detailSize = {{detailSmallest.width() + 60, detailSmallest.height() + 40}};
    saved.detailPosition = {{userPlace.x(), userPlace.y()}};
    QCOMPARE(ReadWindowGeometry(options), saved);
    {
        CLookupDlg window(fixture.environment());
        QCOMPARE(window.size(), smallest + grown);
        QVERIFY(testing::ShowActive(window));
        CDetailDlg* detail = OpenFirstLine(window);
        QVERIFY(detail != nullptr && QTest::qWaitForWindowExposed(detail));
        QCOMPARE(detail->size(), detailSmallest + QSize(60, 40));
        QCOMPARE(detail->geometry().topLeft(), userPlace);
    }
    // Larger than the screen, or a place off every screen: not restored.
    WindowGeometry tooLarge;
    tooLarge.mainSize = {{4000, 3000}};
    tooLarge.detailSize = {{detailSmallest.width(), 5000}};
    tooLarge.detailPosition = {{-3000, 40}};
    QCOMPARE(WriteWindowGeometry(options, tooLarge).status, FileStatus::Ok);
    {
        CLookupDlg window(fixture.environment());
        QCOMPARE(window.size(), smallest);
        window.move(10, 10);  // room beside it on the small screen
        QVERIFY(testing::ShowActive(window));
        CDetailDlg* detail = OpenFirstLine(window);
        QVERIFY(detail != nullptr && QTest::qWaitForWindowExposed(detail));
        QCOMPARE(detail->size(), detailSmallest);
        QVERIFY(!detail->frameGeometry().intersects(window.frameGeometry()));
    }
}

}  // namespace pelmio

QTEST_MAIN(pelmio::WindowBehaviourTest)
#include "window_behaviour_test.moc"
