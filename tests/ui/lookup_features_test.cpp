#include <QAbstractItemView>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "res/dialog_templates.h"
#include "settings/options_file.h"
#include "settings/settings_file.h"
#include "tests/ui/ui_test_support.h"
#include "ui/result_list_model.h"
#include "ui/settings_dlg.h"

namespace pelmio {

using namespace testing;

namespace {

QString Count(CLookupDlg& dialog) {
    return Control<QLabel>(dialog, res::kIdResultCount)->text();
}

QComboBox* KeywordBox(CLookupDlg& dialog) {
    return Control<QComboBox>(dialog, res::kIdKeywordBox);
}

}  // namespace

class LookupFeaturesTest : public QObject {
    Q_OBJECT

private slots:
    void theCountSaysHowManyAndWhetherTheListWasCut() {
        WindowFixture fixture;
        std::vector<std::string> words;
        for (int i = 0; i < 1234; ++i) {
            words.push_back("word" + std::to_string(i));
        }
        words.push_back("other");
        fixture.writeDictionaries({}, words);
        {
            CLookupDlg dialog(fixture.environment());
            auto* label = Control<QLabel>(dialog, res::kIdResultCount);
            QVERIFY(label != nullptr);
            QCOMPARE(label->accessibleName(), QStringLiteral("件数"));
            QCOMPARE(Count(dialog), QString());  // before the first search
            TypeText(KeywordBox(dialog), QStringLiteral("word"));
            QCOMPARE(Count(dialog), QStringLiteral("1,234件"));
            TypeText(KeywordBox(dialog), QStringLiteral("x"));
            QCOMPARE(Count(dialog), QStringLiteral("該当なし"));
            // The caption beside it is unchanged.
            QVERIFY(!dialog.findChildren<QLabel*>().isEmpty());
        }
        WriteRowLimit(fixture.folder / "pelmio.inf", 300);
        CLookupDlg limited(fixture.environment());
        TypeText(KeywordBox(limited), QStringLiteral("word"));
        QCOMPARE(Count(limited), QStringLiteral("300 / 1,234件"));
        QCOMPARE(Rows(limited).size(), 300);
    }

    void rowsMarkTheKeywordsAsTheSearchMatchedThem() {
        WindowFixture fixture;
        // ア is 83 41: the A inside it is not a match; the one after it is.
        WriteBytes(fixture.folder / "settei_jyukugo.txt", "");
        WriteBytes(fixture.folder / "settei_tango.txt",
                   "take off,\x97\xa3\x97\xa4\r\n\x83\x41"
                   "A\r\n");
        CLookupDlg dialog(fixture.environment());
        TypeText(KeywordBox(dialog), QStringLiteral("take off"));
        auto* model =
            qobject_cast<ResultListModel*>(Control<QAbstractItemView>(dialog, 1001)->model());
        QVERIFY(model != nullptr);
        QCOMPARE(model->highlights(0), (QList<TextRange>{{0, 4}, {5, 3}}));
        // The row's text, and what a screen reader reads, is the line itself.
        QCOMPARE(Rows(dialog).first(), QStringLiteral("take off,離陸"));
        KeywordBox(dialog)->lineEdit()->clear();
        TypeText(KeywordBox(dialog), QStringLiteral("A"));
        QCOMPARE(Rows(dialog), QStringList{QStringLiteral("アA")});
        QCOMPARE(model->highlights(0), (QList<TextRange>{{1, 1}}));
    }

    void spaceOpensTheSelectedRowAndEnterStillCloses() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {"go,行く,,g`u", "gone,行った,go,gO0n"});
        CLookupDlg dialog(fixture.environment());
        QVERIFY(ShowActive(dialog));
        TypeText(KeywordBox(dialog), QStringLiteral("go"));
        auto* list = Control<QAbstractItemView>(dialog, 1001);
        list->setFocus();
        list->setCurrentIndex(list->model()->index(1, 0));
        QTest::keyClick(list, Qt::Key_Space);
        CDetailDlg* detail = DetailWindow();
        QVERIFY(detail != nullptr && detail->isVisible());
        QCOMPARE(Control<QLineEdit>(*detail, 1000)->text(), QStringLiteral("gone"));
        QVERIFY(dialog.isVisible());

        // The base form looks itself up, as if typed; the detail window stays.
        QTest::mouseDClick(Control<QLineEdit>(*detail, 1002), Qt::LeftButton);
        QCOMPARE(KeywordBox(dialog)->currentText(), QStringLiteral("go"));
        QCOMPARE(Rows(dialog), (QStringList{"go,行く,,g`u", "gone,行った,go,gO0n"}));
        QVERIFY(detail->isVisible());

        dialog.activateWindow();
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void optionsAreSetInTheDialogAndKeptInTheirOwnFile() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {"take a", "Take"});
        WriteRowLimit(fixture.folder / "pelmio.inf", 0);
        {
            CLookupDlg dialog(fixture.environment());
            TypeText(KeywordBox(dialog), QStringLiteral("take"));
            QCOMPARE(Rows(dialog), QStringList{"take a"});
            bool wereOff = false;
            WhenOpen<CSettingsDlg>([&wereOff](CSettingsDlg& settings) {
                auto* first = Control<QCheckBox>(settings, res::kIdHeadwordFirst);
                auto* ignore = Control<QCheckBox>(settings, res::kIdIgnoreCase);
                QVERIFY(first != nullptr && ignore != nullptr);
                QCOMPARE(first->text(), QStringLiteral("見出し語の一致を先頭に"));
                QCOMPARE(ignore->text(), QStringLiteral("大文字と小文字を区別しない"));
                wereOff = !first->isChecked() && !ignore->isChecked();
                first->setChecked(true);
                ignore->setChecked(true);
                QTest::mouseClick(Control<QPushButton>(settings, 1), Qt::LeftButton);
            });
            Control<QPushButton>(dialog, 1006)->click();
            QVERIFY(wereOff);
            // Searched again at once with the new options.
            QCOMPARE(Rows(dialog), (QStringList{"Take", "take a"}));
        }
        // The settings file keeps its eight bytes; the options have a file
        // of their own, read at the next start.
        QCOMPARE(ReadBytes(fixture.folder / "pelmio.inf").size(), std::size_t{8});
        QCOMPARE(ReadLookupOptions(fixture.folder / "pelmio-options.txt"),
                 (LookupOptions{true, true}));
        CLookupDlg again(fixture.environment());
        TypeText(KeywordBox(again), QStringLiteral("TAKE"));
        QCOMPARE(Rows(again), (QStringList{"Take", "take a"}));
    }

    void withoutASpeechEngineTheButtonSaysWhatToInstall() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {"go,行く,,g`u"});
        CLookupDlg dialog(fixture.environment());
        CDetailDlg* detail = DetailWindow();
        QVERIFY(detail != nullptr);
        auto* speak = Control<QPushButton>(*detail, res::kIdSpeak);
        QVERIFY(speak != nullptr);
        QCOMPARE(speak->accessibleName(), QStringLiteral("読み上げ"));
        QVERIFY(!speak->isEnabled());
        QVERIFY(speak->toolTip().contains(QStringLiteral("qt6-speech-flite-plugin")));
    }
};

}  // namespace pelmio

QTEST_MAIN(pelmio::LookupFeaturesTest)
#include "lookup_features_test.moc"
