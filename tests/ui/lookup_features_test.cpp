#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
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

// The speech engines a detail window has made.
int SpeechEngines(CDetailDlg& detail) {
    int count = 0;
    for (const QObject* child : detail.findChildren<QObject*>()) {
        count += QByteArray(child->metaObject()->className()) == "QTextToSpeech" ? 1 : 0;
    }
    return count;
}

// Lists keyword and opens the first row as a double-click does.
CDetailDlg* OpenFirstRow(CLookupDlg& dialog, const QString& keyword) {
    KeywordBox(dialog)->lineEdit()->clear();
    TypeText(KeywordBox(dialog), keyword);
    auto* list = Control<QAbstractItemView>(dialog, res::kIdResultList);
    list->setCurrentIndex(list->model()->index(0, 0));
    dialog.ShowEntryDetails();
    return DetailWindow();
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

    // The label announces a change of its name itself, but only while it
    // has no fixed name; the offscreen platform delivers no such events.
    void screenReadersReadTheCountAsTheLabelsName() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {"word one", "word two", "other"});
        CLookupDlg dialog(fixture.environment());
        auto* label = Control<QLabel>(dialog, res::kIdResultCount);
        QAccessibleInterface* readable = QAccessible::queryAccessibleInterface(label);
        QVERIFY(readable != nullptr);
        QCOMPARE(readable->text(QAccessible::Description), QStringLiteral("件数"));
        QVERIFY(label->accessibleName().isEmpty());
        TypeText(KeywordBox(dialog), QStringLiteral("word"));
        QCOMPARE(readable->text(QAccessible::Name), QStringLiteral("2件"));
        TypeText(KeywordBox(dialog), QStringLiteral("x"));
        QCOMPARE(readable->text(QAccessible::Name), QStringLiteral("該当なし"));
    }

    void aNewSearchStartsAtItsFirstRowWithNothingChosen() {
        WindowFixture fixture;
        std::vector<std::string> words;
        for (int i = 0; i < 200; ++i) {
            words.push_back("take" + std::to_string(100 + i));
            words.push_back("get" + std::to_string(100 + i));
        }
        fixture.writeDictionaries({}, words);
        CLookupDlg dialog(fixture.environment());
        QVERIFY(ShowActive(dialog));
        auto* list = Control<QAbstractItemView>(dialog, res::kIdResultList);
        TypeText(KeywordBox(dialog), QStringLiteral("take"));
        list->doItemsLayout();
        list->setCurrentIndex(list->model()->index(150, 0));
        list->scrollToBottom();
        QVERIFY(list->verticalScrollBar()->value() > 0);
        // A new word, and a narrower one: each opens at its first row.
        for (const QString& keyword : {QStringLiteral("get"), QStringLiteral("get1")}) {
            KeywordBox(dialog)->lineEdit()->clear();
            TypeText(KeywordBox(dialog), keyword);
            list->doItemsLayout();
            QCOMPARE(list->verticalScrollBar()->value(), 0);
            QCOMPARE(list->indexAt(QPoint(2, 2)).row(), 0);
            QVERIFY(!list->currentIndex().isValid());
            QVERIFY(list->selectionModel()->selectedIndexes().isEmpty());
            list->setCurrentIndex(list->model()->index(60, 0));
            list->scrollToBottom();
        }
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
        auto* model = qobject_cast<ResultListModel*>(
            Control<QAbstractItemView>(dialog, res::kIdResultList)->model());
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
        auto* list = Control<QAbstractItemView>(dialog, res::kIdResultList);
        list->setFocus();
        list->setCurrentIndex(list->model()->index(1, 0));
        QTest::keyClick(list, Qt::Key_Space);
        CDetailDlg* detail = DetailWindow();
        QVERIFY(detail != nullptr && detail->isVisible());
        QCOMPARE(Control<QLineEdit>(*detail, res::kIdHeadword)->text(), QStringLiteral("gone"));
        QVERIFY(dialog.isVisible());

        // The base form looks itself up, as if typed; the detail window stays.
        QTest::mouseDClick(Control<QLineEdit>(*detail, res::kIdBaseForm), Qt::LeftButton);
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
                QTest::mouseClick(Control<QPushButton>(settings, res::kIdOk), Qt::LeftButton);
            });
            Control<QPushButton>(dialog, res::kIdSettings)->click();
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

    void thePronunciationCodeCanBeLeftOutOfTheSearch() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {"lad,若者,,l1d", "lid,蓋,,lId"});
        {
            CLookupDlg dialog(fixture.environment());
            TypeText(KeywordBox(dialog), QStringLiteral("l1"));
            QCOMPARE(Rows(dialog), QStringList{"lad,若者,,l1d"});
            bool wasOff = false;
            WhenOpen<CSettingsDlg>([&wasOff](CSettingsDlg& settings) {
                auto* skip = Control<QCheckBox>(settings, res::kIdSkipPronunciation);
                QVERIFY(skip != nullptr);
                QCOMPARE(skip->text(), QStringLiteral("発音記号を検索しない"));
                wasOff = !skip->isChecked();
                skip->setChecked(true);
                QTest::mouseClick(Control<QPushButton>(settings, res::kIdOk), Qt::LeftButton);
            });
            Control<QPushButton>(dialog, res::kIdSettings)->click();
            QVERIFY(wasOff);
            QCOMPARE(Rows(dialog), QStringList{});
        }
        QCOMPARE(ReadLookupOptions(fixture.folder / "pelmio-options.txt"),
                 (LookupOptions{false, false, true}));
        CLookupDlg again(fixture.environment());
        TypeText(KeywordBox(again), QStringLiteral("l"));
        QCOMPARE(Rows(again), (QStringList{"lad,若者,,l1d", "lid,蓋,,lId"}));
        TypeText(KeywordBox(again), QStringLiteral("I"));
        QCOMPARE(Rows(again), QStringList{});
    }

    void withoutASpeechEngineTheButtonSaysWhatToInstall() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {"go,行く,,g`u"});
        CLookupDlg dialog(fixture.environment());
        CDetailDlg* detail = OpenFirstRow(dialog, QStringLiteral("go"));
        QVERIFY(detail != nullptr && detail->isVisible());
        auto* speak = Control<QPushButton>(*detail, res::kIdSpeak);
        QVERIFY(speak != nullptr);
        QCOMPARE(speak->accessibleName(), QStringLiteral("読み上げ"));
        QVERIFY(!speak->isEnabled());
        QVERIFY(speak->toolTip().contains(QStringLiteral("qt6-speech-flite-plugin")));
    }

    void theSpeechEngineIsMadeWhenTheDetailWindowFirstShows() {
        WindowFixture fixture;
        fixture.speechEngine.clear();  // the system's default, flite where installed
        fixture.writeDictionaries({}, {"go,行く,,g`u"});
        CLookupDlg dialog(fixture.environment());
        CDetailDlg* detail = DetailWindow();
        QVERIFY(detail != nullptr);
        QCOMPARE(SpeechEngines(*detail), 0);
        QVERIFY(OpenFirstRow(dialog, QStringLiteral("go")) == detail);
        auto* speak = Control<QPushButton>(*detail, res::kIdSpeak);
        // Made, or the button says why there is none.
        QVERIFY(SpeechEngines(*detail) == 1 ||
                (!speak->isEnabled() && !speak->toolTip().isEmpty()));
        detail->close();
        QVERIFY(OpenFirstRow(dialog, QStringLiteral("go")) == detail);
        QVERIFY(SpeechEngines(*detail) <= 1);
    }
};

}  // namespace pelmio

QTEST_MAIN(pelmio::LookupFeaturesTest)
#include "lookup_features_test.moc"
