#include <QDialog>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include "ui/detail_dlg.h"

namespace pelmio {

// Where the detail window opens, first beside its owner and then where
// the user left it.
class DetailPlacementTest : public QObject {
    Q_OBJECT

private slots:
    void opensBesideTheOwnerNeverOverIt();
    void reopensWhereTheUserLeftIt();
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

void DetailPlacementTest::opensBesideTheOwnerNeverOverIt() {
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

void DetailPlacementTest::reopensWhereTheUserLeftIt() {
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

}  // namespace pelmio

QTEST_MAIN(pelmio::DetailPlacementTest)
#include "detail_placement_test.moc"
