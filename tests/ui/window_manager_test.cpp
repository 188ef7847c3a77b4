#include <QAbstractItemView>
#include <QLineEdit>
#include <QTest>
#include <QWindow>

#include "tests/ui/ui_test_support.h"

namespace pelmio {

using namespace testing;

// The windows under a real window manager, which frames, places and unmaps
// them as a user's desktop does. Run by under_window_manager.sh.
class WindowManagerTest : public QObject {
    Q_OBJECT

private slots:
    void detailWindowShowsAgainExactlyWhereItWas();
    void detailWindowFirstOpensBesideTheList();
};

namespace {
// Shown, framed by the window manager, and placed.
bool ShownAndFramed(QWidget& window) {
    if (!QTest::qWaitForWindowExposed(&window)) {
        return false;
    }
    return QTest::qWaitFor([&window] { return window.frameGeometry() != window.geometry(); });
}
}  // namespace

void WindowManagerTest::detailWindowShowsAgainExactlyWhereItWas() {
    WindowFixture fixture;
    fixture.writeDictionaries({}, {"take,取る,,tEik", "taken,取られた,take,tEik1n"});
    CLookupDlg dialog(fixture.environment());
    dialog.move(40, 30);
    QVERIFY(ShowActive(dialog));
    TypeText(Control<QComboBox>(dialog, res::kIdKeywordBox), QStringLiteral("take"));
    auto* list = Control<QAbstractItemView>(dialog, res::kIdResultList);
    list->setCurrentIndex(list->model()->index(1, 0));
    dialog.ShowEntryDetails();
    CDetailDlg* detail = DetailWindow();
    QVERIFY(detail != nullptr);
    QVERIFY(ShownAndFramed(*detail));
    QVERIFY(QTest::qWaitForWindowActive(detail));
    const QRect first = detail->frameGeometry();
    // It crept by the frame's size on some shows, and only once the window
    // manager had settled each show: the pauses are a user's, reading.
    constexpr int kReading = 400;
    for (int cycle = 1; cycle <= 9; ++cycle) {
        QTest::qWait(kReading);
        QTest::keyClick(detail->focusWidget(), Qt::Key_Escape);
        QVERIFY(QTest::qWaitFor([detail] { return !detail->isVisible(); }));
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::qWait(kReading);
        list->setCurrentIndex(list->model()->index(1, 0));
        dialog.ShowEntryDetails();
        QVERIFY(ShownAndFramed(*detail));
        QVERIFY(QTest::qWaitForWindowActive(detail));
        QVERIFY2(detail->frameGeometry() == first,
                 qPrintable(QStringLiteral("show %1: %2,%3 instead of %4,%5")
                                .arg(cycle)
                                .arg(detail->frameGeometry().x())
                                .arg(detail->frameGeometry().y())
                                .arg(first.x())
                                .arg(first.y())));
    }
}

void WindowManagerTest::detailWindowFirstOpensBesideTheList() {
    // The owner's frame was read from the widget, which may not have
    // heard of its frame yet, and the detail window opened over the list
    // on some first lookups: fresh windows, after a user's pause.
    for (int attempt = 1; attempt <= 4; ++attempt) {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {"take,取る,,tEik"});
        CLookupDlg dialog(fixture.environment());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::qWait(attempt * 100);  // a user's pause before typing
        TypeText(Control<QComboBox>(dialog, res::kIdKeywordBox), QStringLiteral("take"));
        auto* list = Control<QAbstractItemView>(dialog, res::kIdResultList);
        list->setCurrentIndex(list->model()->index(0, 0));
        dialog.ShowEntryDetails();
        CDetailDlg* detail = DetailWindow();
        QVERIFY(detail != nullptr);
        QVERIFY(ShownAndFramed(*detail));
        const QRect owner = dialog.windowHandle()->frameGeometry();
        const QRect beside = detail->windowHandle()->frameGeometry();
        QVERIFY2(!owner.intersects(beside),
                 qPrintable(QStringLiteral("attempt %1: %2,%3 over the list at %4,%5")
                                .arg(attempt)
                                .arg(beside.x())
                                .arg(beside.y())
                                .arg(owner.x())
                                .arg(owner.y())));
        detail->hide();
    }
}

}  // namespace pelmio

QTEST_MAIN(pelmio::WindowManagerTest)
#include "window_manager_test.moc"
