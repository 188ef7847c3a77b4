#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "tests/support/test_support.h"
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
    environment.showMessage = [&messages](QWidget*, const QString& text) { messages << text; };
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

}  // namespace pelmio

QTEST_MAIN(pelmio::WindowBehaviourTest)
#include "window_behaviour_test.moc"
