// The main window when files are locked by another program, the disk is
// full, lines are huge, and the session ends with a signal.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/folder_lock.h"
#include "settings/settings_file.h"
#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/detail_dlg.h"
#include "ui/dialog_builder.h"
#include "ui/lookup_dlg.h"
#include "ui/settings_dlg.h"

namespace pelmio {

using namespace testing;
namespace fs = std::filesystem;

namespace {

// A scratch folder, the main window's surroundings, and the message boxes
// recorded instead of shown.
struct Surroundings {
    TempFolder folder;
    QStringList messages;
    FileWriter* writer = &DefaultFileWriter();

    Surroundings() {
        WriteBytes(folder / "settei_jyukugo.txt", "");
        WriteBytes(folder / "settei_tango.txt", "");
    }
    LookupEnvironment environment() {
        return {folder.path(),
                [this](QWidget*, const QString& text, const QString&) { messages << text; },
                writer,
                QStringLiteral("none"),
                {}};
    }
    std::string history() const { return ReadBytes(folder / "strlist.txt"); }
};

// Types a keyword into the box, then moves the focus away, which saves it.
// Opens 設定 from the window, types text as the row limit and presses OK.
void SetRowLimitThroughTheSettingsDialog(CLookupDlg& dialog, const QString& text) {
    QTimer::singleShot(0, [text] {
        auto* settings = qobject_cast<CSettingsDlg*>(QApplication::activeModalWidget());
        QVERIFY(settings != nullptr);
        Control<QComboBox>(*settings, res::kIdKeywordBox)->setEditText(text);
        settings->accept();
    });
    Control<QPushButton>(dialog, res::kIdSettings)->click();
}

void TypeAndLeave(CLookupDlg& dialog, const QString& text) {
    auto* box = Control<QComboBox>(dialog, res::kIdKeywordBox);
    box->setFocus();
    box->lineEdit()->clear();
    TypeText(box, text);
    Control<QPushButton>(dialog, res::kIdSettings)->setFocus();
}

}  // namespace

class RobustWindowTest : public QObject {
    Q_OBJECT

private slots:
    void aSaveThatFindsTheLockHeldIsMadeInTheBackground() {
        Surroundings around;
        WriteBytes(around.folder / "strlist.txt", "old\r\n");
        auto other = std::make_unique<FolderLock>(around.folder.path());
        QCOMPARE(other->state(), LockState::Locked);
        CLookupDlg dialog(around.environment());
        QVERIFY(ShowActive(dialog));
        TypeAndLeave(dialog, QStringLiteral("take"));
        // Nothing written while the other program holds the lock.
        QCOMPARE(around.history(), std::string("old\r\n"));
        // Kept, and saved once the lock is free.
        other.reset();
        QTRY_COMPARE(around.history(), std::string("take\r\nold\r\n"));
        QCOMPARE(Items(*Control<QComboBox>(dialog, res::kIdKeywordBox)),
                 (QStringList{QStringLiteral("take"), QStringLiteral("old")}));
        QVERIFY(around.messages.isEmpty());
    }

    void aLockStillHeldAtTheEndIsToldToTheUser() {
        Surroundings around;
        WriteBytes(around.folder / "strlist.txt", "old\r\n");
        const FolderLock other(around.folder.path());
        CLookupDlg dialog(around.environment());
        QVERIFY(ShowActive(dialog));
        TypeAndLeave(dialog, QStringLiteral("take"));
        dialog.reject();  // the close box
        QCOMPARE(around.messages.size(), 1);
        QVERIFY(around.messages.front().contains(QStringLiteral("保存できません")));
        QVERIFY(around.messages.front().contains(QStringLiteral("take")));
        QCOMPARE(around.history(), std::string("old\r\n"));
    }

    void aFullDiskIsToldOnceAndTheKeywordsWaitForTheNextSave() {
        Surroundings around;
        WriteBytes(around.folder / "strlist.txt", "old\r\n");
        FullDiskWriter disk;
        around.writer = &disk;
        CLookupDlg dialog(around.environment());
        QVERIFY(ShowActive(dialog));
        TypeAndLeave(dialog, QStringLiteral("first"));
        TypeAndLeave(dialog, QStringLiteral("second"));
        QCOMPARE(around.messages.size(), 1);
        QVERIFY(around.messages.front().contains(QStringLiteral("保存できません")));
        QCOMPARE(around.history(), std::string("old\r\n"));
        disk.setFull(false);
        TypeAndLeave(dialog, QStringLiteral("third"));
        QCOMPARE(around.history(), std::string("third\r\nsecond\r\nfirst\r\nold\r\n"));
        QCOMPARE(around.messages.size(), 1);
    }

    void okInTheSettingsDialogWritesTheSettingsAtOnce() {
        Surroundings around;
        CLookupDlg dialog(around.environment());
        SetRowLimitThroughTheSettingsDialog(dialog, QStringLiteral("300"));
        // Written while the window is still open: a crash now loses nothing.
        QCOMPARE(ReadRowLimit(around.folder / "pelmio.inf"), 300);
    }

    void aSettingMadeWhileTheLockIsHeldIsWrittenAtTheEnd() {
        Surroundings around;
        {
            CLookupDlg dialog(around.environment());
            {
                const FolderLock other(around.folder.path());
                SetRowLimitThroughTheSettingsDialog(dialog, QStringLiteral("300"));
                // Another program is writing: not now, and nothing to tell.
                QVERIFY(!fs::exists(around.folder / "pelmio.inf"));
                QVERIFY(around.messages.isEmpty());
            }
        }
        QCOMPARE(ReadRowLimit(around.folder / "pelmio.inf"), 300);
        QVERIFY(around.messages.isEmpty());
    }

    void aHugeLineShowsItsStartInTheListAndOpensWhole() {
        Surroundings around;
        WriteBytes(around.folder / "settei_tango.txt",
                   "huge," + std::string(4 << 20, 'a') + ",,\r\nsmall,b,,\r\n");
        CLookupDlg dialog(around.environment());
        auto* box = Control<QComboBox>(dialog, res::kIdKeywordBox);
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QStringLiteral("huge"),
                            Qt::NoModifier);
        auto* list = Control<QAbstractItemView>(dialog, res::kIdResultList);
        QCOMPARE(list->model()->rowCount(), 1);
        const QString row = list->model()->data(list->model()->index(0, 0)).toString();
        QVERIFY(row.startsWith(QStringLiteral("huge,aaa")));
        QVERIFY(row.size() <= 4096);
        list->setCurrentIndex(list->model()->index(0, 0));
        dialog.ShowEntryDetails();
        bool shown = false;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            shown = shown || (qobject_cast<CDetailDlg*>(window) != nullptr && window->isVisible());
        }
        QVERIFY(shown);
    }

#ifndef _WIN32
    void sessionEndingSignalsEndTheProgramAsItsCloseBoxDoes() {
        for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
            TempFolder folder;
            WriteBytes(folder / "settei_jyukugo.txt", "take off,,,\r\n");
            WriteBytes(folder / "settei_tango.txt", "take,,,\r\n");
            // Settings the window did not change: its end leaves them alone.
            const std::string settings("\x2C\x01\0\0\xFF\xFF\xFF\xFF", 8);
            WriteBytes(folder / "pelmio.inf", settings);
            QProcess program;
            program.setWorkingDirectory(QString::fromStdString(folder.path().string()));
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            program.setProcessEnvironment(environment);
            program.start(QStringLiteral(PELMIO_PROGRAM), {});
            QVERIFY(program.waitForStarted());
            // The window makes the history file once it is being set up.
            QTRY_VERIFY_WITH_TIMEOUT(fs::exists(folder / "strlist.txt"), 30000);
            QCOMPARE(::kill(static_cast<pid_t>(program.processId()), signal), 0);
            QVERIFY(program.waitForFinished(30000));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 0);
            QCOMPARE(ReadBytes(folder / "pelmio.inf"), settings);
        }
    }
#endif
};

}  // namespace pelmio

QTEST_MAIN(pelmio::RobustWindowTest)
#include "robust_window_test.moc"
