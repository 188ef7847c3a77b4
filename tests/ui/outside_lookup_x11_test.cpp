// The selection and the clipboard of a real X display, set by another
// program (xclip). Run by under_window_manager.sh on a virtual display.
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include "tests/ui/outside_lookup_support.h"
#include "ui/settings_dlg.h"

namespace pelmio {

using namespace testing;

class OutsideLookupX11Test : public QObject {
    Q_OBJECT

private slots:
    void init();
    void selectionIsLookedUpAndTheWindowComesForward();
    void englishCopiedElsewhereIsLookedUpWhileTheOptionIsOn();
};

namespace {

// Has xclip own a selection with the text, as a program the user selected
// or copied in, and waits until this program sees it there.
bool SetElsewhere(QClipboard::Mode mode, const QString& text) {
    QProcess xclip;
    xclip.start(
        QStringLiteral("xclip"),
        {QStringLiteral("-selection"),
         mode == QClipboard::Selection ? QStringLiteral("primary") : QStringLiteral("clipboard")});
    xclip.write(text.toUtf8());
    xclip.closeWriteChannel();
    // xclip stays behind in the background to serve the selection.
    if (!xclip.waitForFinished() || xclip.exitCode() != 0) {
        return false;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    return QTest::qWaitFor([clipboard, mode, &text] {
        const bool owned =
            mode == QClipboard::Selection ? clipboard->ownsSelection() : clipboard->ownsClipboard();
        return !owned && clipboard->text(mode) == text;
    });
}

}  // namespace

void OutsideLookupX11Test::init() {
    if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
        QSKIP("needs an X display");
    }
    if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty()) {
        QSKIP("xclip is not installed (Debian: xclip)");
    }
}

void OutsideLookupX11Test::selectionIsLookedUpAndTheWindowComesForward() {
    RunningWindow running;
    QVERIFY(running.start());
    // Another window has the keyboard, as the program the user selected in.
    QWidget elsewhere;
    QVERIFY(ShowActive(elsewhere));
    QVERIFY(SetElsewhere(QClipboard::Selection, QStringLiteral("  take \nthe next line\n")));
    // The clipboard holds something else: the selection is what counts.
    QGuiApplication::clipboard()->setText(QStringLiteral("give up"));
    const QStringList arguments = {QStringLiteral("--folder"),
                                   FromPath(running.fixture.folder.path()),
                                   QStringLiteral("--lookup-selection")};
    const ProgramRun second = RunProgram(arguments);
    QVERIFY(second.finished);
    QCOMPARE(second.exitCode, 0);
    QCOMPARE(running.keyword(), QStringLiteral("take"));
    QCOMPARE(Rows(*running.window).size(), 2);
    QVERIFY(QTest::qWaitForWindowActive(running.window.get()));
    // Nothing selected: the window comes forward with its box as it was.
    QVERIFY(ShowActive(elsewhere));
    QVERIFY(SetElsewhere(QClipboard::Selection, QStringLiteral(" \n ")));
    const ProgramRun empty = RunProgram(arguments);
    QVERIFY(empty.finished);
    QCOMPARE(empty.exitCode, 0);
    QCOMPARE(running.keyword(), QStringLiteral("take"));
    QVERIFY(QTest::qWaitForWindowActive(running.window.get()));
    // A selection longer than a request may be is cut as the search reads
    // it, not refused: the running window still takes it.
    QVERIFY(SetElsewhere(QClipboard::Selection, QString(5000, QLatin1Char('a'))));
    const ProgramRun cut = RunProgram(arguments);
    QVERIFY(cut.finished);
    QCOMPARE(cut.exitCode, 0);
    QCOMPARE(running.keyword(), QString(999, QLatin1Char('a')));
}

void OutsideLookupX11Test::englishCopiedElsewhereIsLookedUpWhileTheOptionIsOn() {
    RunningWindow running;
    QVERIFY(running.start());
    QClipboard* clipboard = QGuiApplication::clipboard();
    QSignalSpy changes(clipboard, &QClipboard::dataChanged);
    // Off: the copy reaches the program and is left alone.
    QVERIFY(SetElsewhere(QClipboard::Clipboard, QStringLiteral("take")));
    QVERIFY(!changes.isEmpty());
    QCOMPARE(running.keyword(), QString());

    WhenOpen<CSettingsDlg>([](CSettingsDlg& settings) {
        Control<QCheckBox>(settings, res::kIdClipboardLookup)->setChecked(true);
        settings.accept();
    });
    Control<QPushButton>(*running.window, res::kIdSettings)->click();
    QVERIFY(SetElsewhere(QClipboard::Clipboard, QStringLiteral("give up")));
    QTRY_COMPARE(running.keyword(), QStringLiteral("give up"));
    QCOMPARE(Rows(*running.window), QStringList({QStringLiteral("give up,諦める,,")}));
    // What is copied in this program, from the detail window say, is not.
    changes.clear();
    clipboard->setText(QStringLiteral("take"));
    QTRY_VERIFY(!changes.isEmpty());
    QCOMPARE(running.keyword(), QStringLiteral("give up"));
}

}  // namespace pelmio

QTEST_MAIN(pelmio::OutsideLookupX11Test)
#include "outside_lookup_x11_test.moc"
