#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "settings/settings_file.h"
#include "tests/ui/ui_test_support.h"
#include "ui/pronunciation_field.h"
#include "ui/settings_dlg.h"

namespace pelmio {

using namespace testing;
namespace fs = std::filesystem;

namespace {

void OpenRow(CLookupDlg& dialog, int row) {
    auto* list = Control<QAbstractItemView>(dialog, res::kIdResultList);
    list->setCurrentIndex(list->model()->index(row, 0));
    dialog.ShowEntryDetails();
}

// Sets the row limit as the user does, through the settings dialog.
void SetRowLimit(CLookupDlg& dialog, const QString& text) {
    WhenOpen<CSettingsDlg>([text](CSettingsDlg& settings) {
        Control<QComboBox>(settings, res::kIdKeywordBox)->setEditText(text);
        QTest::mouseClick(Control<QPushButton>(settings, res::kIdOk), Qt::LeftButton);
    });
    Control<QPushButton>(dialog, res::kIdSettings)->click();
}

}  // namespace

class RobustnessTest : public QObject {
    Q_OBJECT

private slots:
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

    void pastingAMegabyteSearchesItsFirst999Bytes() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {std::string(998, 'a'), std::string(997, 'a'), "b"});
        CLookupDlg dialog(fixture.environment());
        auto* box = Control<QComboBox>(dialog, res::kIdKeywordBox);
        QApplication::clipboard()->setText(QString(1 << 20, QLatin1Char('a')));
        box->lineEdit()->paste();
        // The keyword is 999 a's: no line is that long.
        QCOMPARE(Rows(dialog), QStringList());
        box->lineEdit()->clear();
        QApplication::clipboard()->setText(QString(998, QLatin1Char('a')) + QStringLiteral(" ") +
                                           QString(5000, QLatin1Char('b')));
        box->lineEdit()->paste();
        // Cut at 999 bytes: 998 a's and a space.
        QCOMPARE(Rows(dialog), QStringList{QString(998, QLatin1Char('a'))});
    }

    void leadBytesAtLineEndsAndLongCodesGiveDefinedResults() {
        WindowFixture fixture;
        std::string lines;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (lead >= 0xA0 && lead < 0xE0) {
                continue;
            }
            lines += "A";
            lines += static_cast<char>(lead);
            lines += "\r\n";
        }
        lines += "code,,," + std::string(999, 'a') + "\r\n";
        WriteBytes(fixture.folder / "settei_tango.txt", lines);
        WriteBytes(fixture.folder / "settei_jyukugo.txt", "");
        CLookupDlg dialog(fixture.environment());
        auto* box = Control<QComboBox>(dialog, res::kIdKeywordBox);
        TypeText(box, QStringLiteral("A"));
        QCOMPARE(Rows(dialog).size(), 60);
        // A lead byte with nothing after it shows as a replacement character.
        QCOMPARE(Rows(dialog).first(), QStringLiteral("A\uFFFD"));
        OpenRow(dialog, 0);
        CDetailDlg* detail = DetailWindow();
        QVERIFY(detail != nullptr && detail->isVisible());
        QCOMPARE(Control<QLineEdit>(*detail, res::kIdHeadword)->text(), QStringLiteral("A\uFFFD"));

        // The detail view reads 999 bytes of the line: 992 of the code.
        box->lineEdit()->clear();
        TypeText(box, QStringLiteral("code"));
        OpenRow(dialog, 0);
        QCOMPARE(Control<PronunciationField>(*detail, res::kIdPronunciation)->code().size(),
                 std::size_t{999 - 7});
    }
};

}  // namespace pelmio

QTEST_MAIN(pelmio::RobustnessTest)
#include "robustness_test.moc"
