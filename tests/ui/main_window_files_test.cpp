// The main window's own files: the keyword history and its drop-down
// list, the settings, and what happens when another program holds the
// lock, the disk is full, or the files are not what they should be.
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "base/folder_lock.h"
#include "history/keyword_history.h"
#include "settings/settings_file.h"
#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/about_dlg.h"
#include "ui/detail_dlg.h"
#include "ui/dialog_builder.h"
#include "ui/lookup_dlg.h"
#include "ui/pronunciation_field.h"
#include "ui/settings_dlg.h"

namespace pelmio {

using namespace testing;
namespace fs = std::filesystem;

class MainWindowFilesTest : public QObject {
    Q_OBJECT

private slots:
    void startCreatesAnEmptyHistoryFile() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {});
        CLookupDlg dialog(fixture.environment());
        QVERIFY(std::filesystem::exists(fixture.folder / "strlist.txt"));
        QCOMPARE(History(fixture), std::string());
        QCOMPARE(Control<QComboBox>(dialog, res::kIdKeywordBox)->count(), 0);
    }

    void focusLossSavesAndCloseSavesTwice() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {"take"});
        CLookupDlg dialog(fixture.environment());
        QVERIFY(ShowActive(dialog));
        auto* box = Control<QComboBox>(dialog, res::kIdKeywordBox);
        box->setFocus();
        TypeText(box, QStringLiteral("take"));
        Control<QPushButton>(dialog, res::kIdSettings)->setFocus();
        QCOMPARE(History(fixture), std::string("take\r\n"));
        QCOMPARE(Items(*box), QStringList{"take"});
        QCOMPARE(box->currentText(), QStringLiteral("take"));
        // Close while the box has the focus: the focus loss and the OK path
        // each save.
        box->setFocus();
        QTest::mouseClick(Control<QPushButton>(dialog, res::kIdOk), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(History(fixture), std::string("take\r\ntake\r\ntake\r\n"));
    }

    void escapeSavesNothing() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {});
        CLookupDlg dialog(fixture.environment());
        QVERIFY(ShowActive(dialog));
        auto* box = Control<QComboBox>(dialog, res::kIdKeywordBox);
        box->setFocus();
        TypeText(box, QStringLiteral("unsaved"));
        QTest::keyClick(box, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        // The focus leaves the closed window later, as a window system
        // would tell it: still nothing is saved.
        QApplication::setActiveWindow(nullptr);
        QApplication::processEvents();
        QCOMPARE(History(fixture), std::string());
    }

    void enterClosesThroughOkAndSaves() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {});
        CLookupDlg dialog(fixture.environment());
        QVERIFY(ShowActive(dialog));
        auto* box = Control<QComboBox>(dialog, res::kIdKeywordBox);
        box->setFocus();
        TypeText(box, QStringLiteral("離陸"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(History(fixture), std::string("\x97\xa3\x97\xa4\r\n"));  // 離陸
        QCOMPARE(box->count(), 1);  // Enter did not add the text to the list itself
    }

    void dropDownShowsEightNewestAndKeepsTheText() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {"take off", "take"});
        CLookupDlg dialog(fixture.environment());
        // Written by another program while the window is open.
        WriteBytes(fixture.folder / "strlist.txt",
                   "9\r\n9\r\n8\r\n7\r\n6\r\n5\r\n4\r\n3\r\n2\r\n1\r\n");
        auto* box = Control<QComboBox>(dialog, res::kIdKeywordBox);
        TypeText(box, QStringLiteral("typed"));
        dialog.LoadHistoryIntoCombo();
        QCOMPARE(Items(*box), (QStringList{"9", "8", "7", "6", "5", "4", "3", "2"}));
        QCOMPARE(box->currentText(), QStringLiteral("typed"));
        // Picking a line puts it into the box and searches.
        WriteBytes(fixture.folder / "strlist.txt", "take off\r\ntake\r\n");
        dialog.LoadHistoryIntoCombo();
        emit box->activated(0);
        QCOMPARE(box->currentText(), QStringLiteral("take off"));
        QCOMPARE(Rows(dialog), QStringList{"take off"});
    }

    void openingTheDropDownRebuildsItFirst() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {});
        CLookupDlg dialog(fixture.environment());
        QVERIFY(ShowActive(dialog));
        WriteBytes(fixture.folder / "strlist.txt", "fresh\r\n");
        auto* box = Control<QComboBox>(dialog, res::kIdKeywordBox);
        box->setFocus();
        TypeText(box, QStringLiteral("typed"));
        box->showPopup();
        QCOMPARE(Items(*box), QStringList{"fresh"});
        QCOMPARE(box->currentText(), QStringLiteral("typed"));
        // The list taking the focus is not the user leaving the box.
        QApplication::processEvents();
        QCOMPARE(History(fixture), std::string("fresh\r\n"));
        box->hidePopup();
        Control<QPushButton>(dialog, res::kIdSettings)->setFocus();
        QCOMPARE(History(fixture), std::string("typed\r\nfresh\r\n"));
    }

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

    void aWindowThatChangedNoSettingLeavesTheFileAlone() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {});
        auto untouched = std::make_unique<CLookupDlg>(fixture.environment());
        {
            CLookupDlg changing(fixture.environment());
            WhenOpen<CSettingsDlg>([](CSettingsDlg& settings) {
                Control<QComboBox>(settings, res::kIdKeywordBox)
                    ->setEditText(QStringLiteral("300"));
                QTest::mouseClick(Control<QPushButton>(settings, res::kIdOk), Qt::LeftButton);
            });
            Control<QPushButton>(changing, res::kIdSettings)->click();
        }
        untouched.reset();
        QCOMPARE(ReadRowLimit(fixture.folder / "pelmio.inf"), 300);
        QVERIFY(fixture.messages.empty());
    }

    void aSettingThatCannotBeSavedIsReported() {
        const auto setRowLimit = [](CLookupDlg& dialog, const QString& text) {
            WhenOpen<CSettingsDlg>([text](CSettingsDlg& settings) {
                Control<QComboBox>(settings, res::kIdKeywordBox)->setEditText(text);
                QTest::mouseClick(Control<QPushButton>(settings, res::kIdOk), Qt::LeftButton);
            });
            Control<QPushButton>(dialog, res::kIdSettings)->click();
        };
        {
            WindowFixture fixture;
            fixture.writeDictionaries({}, {});
            WriteRowLimit(fixture.folder / "pelmio.inf", 10);
            std::filesystem::permissions(fixture.folder / "pelmio.inf",
                                         std::filesystem::perms::owner_read);
            {
                CLookupDlg dialog(fixture.environment());
                setRowLimit(dialog, QStringLiteral("20"));
                QCOMPARE(fixture.messages.size(), std::size_t{1});
                QCOMPARE(fixture.messages[0].text, QString::fromUtf8(res::kSettingsWriteFailed));
                QVERIFY(fixture.messages[0].text.contains(QStringLiteral("保存できません")));
                setRowLimit(dialog, QStringLiteral("30"));
            }
            // Told once, not again at the end.
            QCOMPARE(fixture.messages.size(), std::size_t{1});
            QCOMPARE(ReadRowLimit(fixture.folder / "pelmio.inf"), 10);
        }
        WindowFixture fixture;
        fixture.writeDictionaries({}, {});
        FullDiskWriter full;
        fixture.writer = &full;
        {
            CLookupDlg dialog(fixture.environment());
            setRowLimit(dialog, QStringLiteral("20"));
            QCOMPARE(fixture.messages.size(), std::size_t{1});
            QCOMPARE(fixture.messages[0].text, QString::fromUtf8(res::kSettingsDiskFull));
            // Room again by the end: the setting is written then.
            full.setFull(false);
        }
        QCOMPARE(ReadRowLimit(fixture.folder / "pelmio.inf"), 20);
    }

    void aFailingDiskLosesNothingAndTheWindowGoesOn() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {"take", "off"});
        WriteBytes(fixture.folder / "strlist.txt", "old\r\n");
        WriteRowLimit(fixture.folder / "pelmio.inf", 50);
        FailingWriter full(2);
        fixture.writer = &full;
        {
            CLookupDlg dialog(fixture.environment());
            QVERIFY(ShowActive(dialog));
            auto* box = Control<QComboBox>(dialog, res::kIdKeywordBox);
            box->setFocus();
            TypeText(box, QStringLiteral("take"));
            Control<QPushButton>(dialog, res::kIdSettings)
                ->setFocus();  // saves, and the write fails
            QCOMPARE(ReadBytes(fixture.folder / "strlist.txt"), std::string("old\r\n"));
            QCOMPARE(box->currentText(), QStringLiteral("take"));
            box->setFocus();
            TypeText(box, QStringLiteral(" "));
            QCOMPARE(Rows(dialog), QStringList{"take"});
            SetRowLimit(dialog, QStringLiteral("7"));
        }
        // The settings write at the end failed too: the old file is whole.
        QCOMPARE(ReadRowLimit(fixture.folder / "pelmio.inf"), 50);
        QCOMPARE(ReadBytes(fixture.folder / "pelmio.inf").size(), std::size_t{8});
    }

    void filesChangedUnderTheRunningWindow() {
        WindowFixture fixture;
        fixture.writeDictionaries({"take off"}, {"take"});
        CLookupDlg dialog(fixture.environment());
        auto* box = Control<QComboBox>(dialog, res::kIdKeywordBox);
        TypeText(box, QStringLiteral("take"));
        QCOMPARE(Rows(dialog).size(), 2);

        // History deleted: the next save starts a new file.
        fs::remove(fixture.folder / "strlist.txt");
        dialog.SaveKeywordToHistory();
        QCOMPARE(ReadBytes(fixture.folder / "strlist.txt"), std::string("take\r\n"));
        // History replaced by a folder: nothing happens, the list stays.
        fs::remove(fixture.folder / "strlist.txt");
        fs::create_directory(fixture.folder / "strlist.txt");
        dialog.SaveKeywordToHistory();
        dialog.LoadHistoryIntoCombo();
        QCOMPARE(Items(*box), QStringList{"take"});
        QVERIFY(fs::is_directory(fixture.folder / "strlist.txt"));

        // Dictionaries replaced by other lines, then deleted.
        fixture.writeDictionaries({}, {"taken"});
        Control<QPushButton>(dialog, res::kIdReload)->click();
        QCOMPARE(Rows(dialog), QStringList{"taken"});
        fs::remove(fixture.folder / "settei_jyukugo.txt");
        fs::remove(fixture.folder / "settei_tango.txt");
        Control<QPushButton>(dialog, res::kIdReload)->click();
        QCOMPARE(fixture.messages.size(), std::size_t{2});
        QCOMPARE(Rows(dialog), QStringList());
    }

#ifndef _WIN32
    void dictionaryNamesThatAreNotFilesNeverHang() {
        WindowFixture fixture;
        QCOMPARE(::mkfifo((fixture.folder / "settei_jyukugo.txt").c_str(), 0600), 0);
        fs::create_symlink("/dev/zero", fixture.folder / "settei_tango.txt");
        fs::create_symlink("/dev/zero", fixture.folder / "strlist.txt");
        fs::create_symlink("/dev/zero", fixture.folder / "pelmio.inf");
        {
            CLookupDlg dialog(fixture.environment());
            QCOMPARE(fixture.messages.size(), std::size_t{2});
            QTest::keyClicks(Control<QComboBox>(dialog, res::kIdKeywordBox), " ");
            QCOMPARE(Rows(dialog), QStringList());
            SetRowLimit(dialog, QStringLiteral("9"));
        }
        QVERIFY(fs::is_symlink(fixture.folder / "pelmio.inf"));
        QVERIFY(fs::is_symlink(fixture.folder / "strlist.txt"));
    }
#endif

#ifndef _WIN32
    void anotherUsersLinksAreNotFollowedAndTheUserIsTold() {
        if (!RunningAsRoot()) {
            QSKIP("needs root, to own links as another user");
        }
        WindowFixture fixture;
        fixture.writeDictionaries({}, {"take"});
        // Root runs the program in a user's folder, where the user's links
        // name root's own file and a folder only root may write.
        WriteBytes(fixture.folder / "secret", "root's own");
        fs::create_directory(fixture.folder / "closed");
        fs::create_symlink(fixture.folder / "secret", fixture.folder / "pelmio.inf");
        fs::create_symlink(fixture.folder / "closed" / "list", fixture.folder / "strlist.txt");
        for (const char* name : {"pelmio.inf", "strlist.txt"}) {
            QCOMPARE(::lchown((fixture.folder / name).c_str(), kNobody, kNobody), 0);
        }
        const QString told = QString::fromUtf8(res::kForeignLink).arg("strlist.txt");
        {
            CLookupDlg dialog(fixture.environment());
            QCOMPARE(fixture.messages.size(), std::size_t{1});
            QCOMPARE(fixture.messages[0].text, told);
            TypeText(Control<QComboBox>(dialog, res::kIdKeywordBox), QStringLiteral("take"));
            dialog.SaveKeywordToHistory();
        }
        // Ended with no setting changed: nothing is written through the
        // settings link, and the user was told once.
        QCOMPARE(fixture.messages.size(), std::size_t{1});
        QCOMPARE(ReadBytes(fixture.folder / "secret"), std::string("root's own"));
        QVERIFY(fs::is_empty(fixture.folder / "closed"));
        {
            CLookupDlg dialog(fixture.environment());
            SetRowLimit(dialog, QStringLiteral("9"));
        }
        QCOMPARE(ReadBytes(fixture.folder / "secret"), std::string("root's own"));
        QVERIFY(fs::is_symlink(fixture.folder / "pelmio.inf"));
    }
#endif
};

}  // namespace pelmio

QTEST_MAIN(pelmio::MainWindowFilesTest)
#include "main_window_files_test.moc"
