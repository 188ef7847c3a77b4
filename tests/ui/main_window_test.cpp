// The main lookup window: its controls, its keys, what typing lists, the
// count and the rows, the dictionaries it reads, and its size.
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "base/folder_lock.h"
#include "res/dialog_templates.h"
#include "settings/options_file.h"
#include "settings/settings_file.h"
#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/about_dlg.h"
#include "ui/detail_dlg.h"
#include "ui/dialog_builder.h"
#include "ui/highlight_delegate.h"
#include "ui/lookup_dlg.h"
#include "ui/pronunciation_field.h"
#include "ui/result_list_model.h"
#include "ui/settings_dlg.h"

namespace pelmio {

using namespace testing;
namespace fs = std::filesystem;
using Fixture = WindowFixture;

namespace {

const QString kHeading = QString::fromUtf8(res::kSuggestionHeading);

// Every row the list shows, suggestion rows and their heading too.
QStringList Shown(CLookupDlg& dialog) {
    QStringList shown;
    const QAbstractItemModel* model = List(dialog)->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        shown << model->data(model->index(row, 0)).toString();
    }
    return shown;
}

// A window over receive and relieve, with "recieve" typed: two suggestions.
// Counts the paint events a widget gets.
struct PaintCounter : QObject {
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int count = 0;
};

struct Missed {
    WindowFixture fixture;
    std::unique_ptr<CLookupDlg> dialog;

    Missed() {
        fixture.writeDictionaries({}, {"receive,受け取る,,R1sI0v", "relieve,和らげる,,RilI0v"});
        dialog = std::make_unique<CLookupDlg>(fixture.environment());
    }

    bool type() {
        if (!ShowActive(*dialog)) {
            return false;
        }
        TypeText(KeywordBox(*dialog), QStringLiteral("recieve"));
        return true;
    }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void buildsEveryControlOfTheTemplateAtItsPlace() {
        Fixture fixture;
        fixture.writeDictionaries({}, {});
        CLookupDlg dialog(fixture.environment());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Pelmio"));
        const DialogUnits units(dialog.font());
        QCOMPARE(dialog.size(), units.toPixels(0, 0, 187, 237).size());
        // The template's size is the smallest; the window may grow.
        QCOMPARE(dialog.minimumSize(), dialog.size());
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));

        const res::DialogTemplate& main = res::MainDialogTemplate();
        int checked = 0;
        for (const QWidget* child : dialog.findChildren<QWidget*>()) {
            if (child->parentWidget() != &dialog ||
                !child->property(kControlIdProperty).isValid()) {
                continue;
            }
            const res::ControlTemplate& control =
                main.controls[static_cast<std::size_t>(checked++)];
            QCOMPARE(child->property(kControlIdProperty).toInt(), control.id);
            const QRect expected =
                units.toPixels(control.x, control.y, control.width, control.height);
            QCOMPARE(child->pos(), expected.topLeft());
            QCOMPARE(child->width(), expected.width());
            if (control.kind != res::ControlKind::ComboBox) {
                QCOMPARE(child->height(), expected.height());
            }
            if (const auto* button = qobject_cast<const QPushButton*>(child)) {
                QCOMPARE(button->text(), QString::fromUtf8(control.text));
            }
            if (const auto* label = qobject_cast<const QLabel*>(child)) {
                QCOMPARE(label->text(), QString::fromUtf8(control.text));
            }
        }
        QCOMPARE(checked, 8);
        QCOMPARE(Control<QPushButton>(dialog, res::kIdOk)->text(), QStringLiteral("閉じる"));
        QCOMPARE(Control<QPushButton>(dialog, res::kIdSettings)->text(), QStringLiteral("設定"));
        QVERIFY(Control<QPushButton>(dialog, res::kIdReload)->isHidden());
        QCOMPARE(Control<QComboBox>(dialog, res::kIdKeywordBox)->accessibleName(),
                 QStringLiteral("キーワード"));
        QCOMPARE(Control<QAbstractItemView>(dialog, res::kIdResultList)->accessibleName(),
                 QStringLiteral("候補（ダブルクリックで詳細表示）"));
    }

    void pixelPlacesForAKnownFont() {
        Fixture fixture;
        fixture.writeDictionaries({}, {});
        CLookupDlg dialog(fixture.environment());
        if (QFontInfo(dialog.font()).family() != QStringLiteral("IPAPGothic")) {
            QSKIP("the figures below are for IPAPGothic 9 pt at 96 dpi");
        }
        // Worked out by hand: a dialog unit is 7.09225 / 4 px across (the
        // mean width of A-Z and a-z) and 13 / 8 px down, rounded at each
        // edge.
        QCOMPARE(dialog.size(), QSize(332, 385));
        QCOMPARE(Control<QPushButton>(dialog, res::kIdOk)->geometry(), QRect(174, 351, 88, 23));
        QCOMPARE(Control<QPushButton>(dialog, res::kIdSettings)->geometry(),
                 QRect(66, 351, 88, 23));
        QCOMPARE(Control<QAbstractItemView>(dialog, res::kIdResultList)->geometry(),
                 QRect(12, 85, 307, 248));
        const QRect keywordBox = Control<QComboBox>(dialog, res::kIdKeywordBox)->geometry();
        QCOMPARE(keywordBox.topLeft(), QPoint(43, 28));
        QCOMPARE(keywordBox.width(), 241);
    }

    void windowsGrowAndKeepTheirSizesAndPlace() {
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

    void reportsEachMissingDictionaryWithoutAnOwner() {
        Fixture fixture;
        CLookupDlg dialog(fixture.environment());
        QCOMPARE(fixture.messages.size(), std::size_t{2});
        for (const Message& message : fixture.messages) {
            QCOMPARE(message.text, QStringLiteral("辞書ファイルを読み込めません"));
            QCOMPARE(message.owner, nullptr);
        }
        // The text as it always was; which file, below it.
        QCOMPARE(fixture.messages[0].detail,
                 QString::fromStdString((fixture.folder / "settei_jyukugo.txt").string()));
        QCOMPARE(fixture.messages[1].detail,
                 QString::fromStdString((fixture.folder / "settei_tango.txt").string()));
        QTest::keyClicks(Control<QComboBox>(dialog, res::kIdKeywordBox), " ");
        QCOMPARE(Rows(dialog), QStringList());

        // Only the phrase file missing: one box, and the word file loads.
        Fixture oneMissing;
        WriteBytes(oneMissing.folder / "settei_tango.txt", "take\r\ngo\r\n");
        CLookupDlg second(oneMissing.environment());
        QCOMPARE(oneMissing.messages.size(), std::size_t{1});
        QTest::keyClicks(Control<QComboBox>(second, res::kIdKeywordBox), " ");
        QCOMPARE(Rows(second), (QStringList{"go", "take"}));

        // A folder in place of a file is a file that cannot be opened.
        Fixture folderInPlace;
        std::filesystem::create_directory(folderInPlace.folder / "settei_jyukugo.txt");
        WriteBytes(folderInPlace.folder / "settei_tango.txt", "");
        CLookupDlg third(folderInPlace.environment());
        QCOMPARE(folderInPlace.messages.size(), std::size_t{1});
    }

    void tooManyLinesGiveOneMessage() {
        Fixture fixture;
        std::vector<std::string> lines(80'000, "line");
        fixture.writeDictionaries(lines, lines);
        CLookupDlg dialog(fixture.environment());
        QCOMPARE(fixture.messages.size(), std::size_t{1});
        QCOMPARE(fixture.messages[0].owner, nullptr);
        QVERIFY(fixture.messages[0].text.contains(QStringLiteral("100,000")));
    }

    void closeAndEscapeEndTheWindow() {
        Fixture fixture;
        fixture.writeDictionaries({}, {});
        CLookupDlg dialog(fixture.environment());
        dialog.show();
        QTest::mouseClick(Control<QPushButton>(dialog, res::kIdOk), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());

        CLookupDlg escaped(fixture.environment());
        escaped.show();
        QTest::keyClick(&escaped, Qt::Key_Escape);
        QCOMPARE(escaped.result(), int(QDialog::Rejected));
        QVERIFY(!escaped.isVisible());
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

    void typingListsMatchesWithTheirTableIndices() {
        Fixture fixture;
        fixture.writeDictionaries({"take off,離陸する,,tEik o0f", "look up,調べる,,lUk 3p"},
                                  {"take,取る,,tEik", "off,離れて,,O0f", "apple,りんご,,2pl"});
        CLookupDlg dialog(fixture.environment());
        dialog.show();
        auto* box = Control<QComboBox>(dialog, res::kIdKeywordBox);
        QCOMPARE(Rows(dialog), QStringList());  // nothing is listed before the first edit
        QTest::keyClicks(box, "take off");
        QCOMPARE(Rows(dialog), QStringList{QStringLiteral("take off,離陸する,,tEik o0f")});
        box->lineEdit()->clear();
        QTest::keyClicks(box, "o");
        // Sorted without regard to case, each row carrying the index of its
        // line in the files (phrases first, then words).
        QCOMPARE(Rows(dialog), (QStringList{"look up,調べる,,lUk 3p", "off,離れて,,O0f",
                                            "take off,離陸する,,tEik o0f"}));
        const QAbstractItemModel* model =
            Control<QAbstractItemView>(dialog, res::kIdResultList)->model();
        QList<uint> indices;
        for (int row = 0; row < model->rowCount(); ++row) {
            indices << model->data(model->index(row, 0), ResultListModel::kEntryIndexRole).toUInt();
        }
        QCOMPARE(indices, (QList<uint>{1, 3, 0}));
        // Deleting everything lists every line.
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(Rows(dialog).size(), 5);
    }

    void textSetByTheProgramDoesNotSearch() {
        Fixture fixture;
        fixture.writeDictionaries({}, {"take", "off"});
        CLookupDlg dialog(fixture.environment());
        Control<QComboBox>(dialog, res::kIdKeywordBox)->setEditText(QStringLiteral("take"));
        QCOMPARE(Rows(dialog), QStringList());
    }

    void composingTextDoesNotSearchUntilCommitted() {
        Fixture fixture;
        // 離陸する and 着陸する as code page 932 bytes, written without the
        // program's codec.
        WriteBytes(fixture.folder / "settei_jyukugo.txt", "");
        WriteBytes(fixture.folder / "settei_tango.txt",
                   "take off,\x97\xa3\x97\xa4\x82\xb7\x82\xe9\r\n"
                   "land,\x92\x85\x97\xa4\x82\xb7\x82\xe9\r\n");
        CLookupDlg dialog(fixture.environment());
        QLineEdit* edit = Control<QComboBox>(dialog, res::kIdKeywordBox)->lineEdit();
        QInputMethodEvent composing(QStringLiteral("りく"), {});
        QApplication::sendEvent(edit, &composing);
        QCOMPARE(Rows(dialog), QStringList());
        QInputMethodEvent committed;
        committed.setCommitString(QStringLiteral("離陸"));
        QApplication::sendEvent(edit, &committed);
        QCOMPARE(Rows(dialog), QStringList{QStringLiteral("take off,離陸する")});
    }

    void textOutsideTheCodePageListsNothing() {
        Fixture fixture;
        fixture.writeDictionaries({}, {"wave～", "wave?", "take"});  // ～ is 81 60
        CLookupDlg dialog(fixture.environment());
        auto* box = Control<QComboBox>(dialog, res::kIdKeywordBox);
        TypeText(box, QStringLiteral("wave"));
        QCOMPARE(Rows(dialog).size(), 2);
        // The wave dash has no code: nothing matches, not even a look-alike.
        TypeText(box, QStringLiteral("\u301C"));
        QCOMPARE(Rows(dialog), QStringList());
        box->lineEdit()->clear();
        TypeText(box, QStringLiteral("😀"));
        QCOMPARE(Rows(dialog), QStringList());
        box->lineEdit()->clear();
        TypeText(box, QStringLiteral("\uFF5E"));  // fullwidth tilde is in the code page
        QCOMPARE(Rows(dialog), QStringList{QStringLiteral("wave～")});
        // Only the first 999 bytes count: a character beyond them is ignored.
        box->lineEdit()->setText(QString(999, QLatin1Char('t')).left(3) + QStringLiteral(" ") +
                                 QString(995, QLatin1Char(' ')) + QStringLiteral("\u301C"));
        dialog.RunSearch();
        QCOMPARE(Rows(dialog), QStringList());  // "ttt" is in no line
        box->lineEdit()->setText(QStringLiteral("ta") + QString(997, QLatin1Char(' ')) +
                                 QStringLiteral("\u301C"));
        dialog.RunSearch();
        QCOMPARE(Rows(dialog), QStringList{QStringLiteral("take")});
    }

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

    void rowLimitStopsTheList() {
        Fixture fixture;
        fixture.writeDictionaries({}, {"a1", "a2", "a3", "a4", "a5"});
        WriteRowLimit(fixture.folder / "pelmio.inf", 3);
        CLookupDlg dialog(fixture.environment());
        QTest::keyClicks(Control<QComboBox>(dialog, res::kIdKeywordBox), "a");
        QCOMPARE(Rows(dialog), (QStringList{"a1", "a2", "a3"}));
    }

    void reloadRefreshesTheList() {
        Fixture fixture;
        fixture.writeDictionaries({}, {"one", "two", "three"});
        CLookupDlg dialog(fixture.environment());
        // Before any search, a reload leaves the list empty.
        Control<QPushButton>(dialog, res::kIdReload)->click();
        QCOMPARE(Rows(dialog), QStringList());
        QTest::keyClicks(Control<QComboBox>(dialog, res::kIdKeywordBox), "t");
        QCOMPARE(Rows(dialog), (QStringList{"three", "two"}));
        // Shorter files: the rows are those of the new table.
        fixture.writeDictionaries({}, {"two"});
        Control<QPushButton>(dialog, res::kIdReload)->click();
        QCOMPARE(Rows(dialog), (QStringList{"two"}));
        QVERIFY(fixture.messages.empty());
        // A file gone: its message is owned by the main window.
        std::filesystem::remove(fixture.folder / "settei_tango.txt");
        Control<QPushButton>(dialog, res::kIdReload)->click();
        QCOMPARE(fixture.messages.size(), std::size_t{1});
        QCOMPARE(fixture.messages[0].owner, &dialog);
        QCOMPARE(Rows(dialog), QStringList());
    }

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

    void theListMovesAsAListDoes() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, Words("water", 300));
        CLookupDlg dialog(fixture.environment());
        QVERIFY(ShowActive(dialog));
        TypeText(KeywordBox(dialog), QStringLiteral("water"));
        QAbstractItemView* list = List(dialog);
        list->setFocus();
        list->setCurrentIndex(list->model()->index(5, 0));
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(list->currentIndex().row(), 299);
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(list->currentIndex().row(), 0);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentIndex().row(), 2);
        QCOMPARE(list->selectionModel()->selectedIndexes().size(), 1);
        QCOMPARE(list->selectionModel()->selectedIndexes().front().row(), 2);
        // Tab leaves the list for the next control, as it leaves a list.
        QTest::keyClick(list, Qt::Key_Tab);
        QVERIFY(!list->hasFocus());
        QCOMPARE(list->currentIndex().row(), 2);
        // Every row has one height, as high as a line of the list's font.
        const QRect first = list->visualRect(list->model()->index(0, 0));
        QCOMPARE(list->visualRect(list->model()->index(1, 0)).top(), first.bottom() + 1);
        QVERIFY(first.height() >= list->fontMetrics().height());
        QCOMPARE(first.left(), 0);
        QCOMPARE(first.width(), list->viewport()->width());
    }

    void aRowShowsItsStartCutAsTheWholeLineWouldBe() {
        QFont font = QApplication::font();
        const QString combining = QString(QChar(u'a')) + QString(200, QChar(u'\u0301'));
        const QStringList texts = {
            QStringLiteral("short"),
            QString(3000, QChar(u'w')),
            QString(3000, QChar(u'i')) + QStringLiteral("tail"),
            QString(2000, QChar(u'語')),
            QStringLiteral("a,b.c:d;") + QString(1000, QChar(u'l')),
            // A start of characters that take no room: it fits, and the
            // text after it still decides where the row is cut.
            combining + QString(50, QChar(u'x')),
        };
        for (const int width : {5, 40, 180, 900}) {
            for (const QString& text : texts) {
                QCOMPARE(HighlightDelegate::elide(text, font, width),
                         QFontMetrics(font).elidedText(text, Qt::ElideRight, width));
            }
        }
    }

    void aRowThatStaysOnScreenIsNotShapedAgain() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, Words("water", 40));
        CLookupDlg dialog(fixture.environment());
        QVERIFY(ShowActive(dialog));
        QAbstractItemView* list = List(dialog);
        auto* delegate = qobject_cast<HighlightDelegate*>(list->itemDelegate());
        QVERIFY(delegate != nullptr);
        TypeText(KeywordBox(dialog), QStringLiteral("wat"));
        list->viewport()->repaint();
        const int shaped = delegate->rowsShaped();
        QVERIFY(shaped > 5);
        // One more letter and back: the same rows, other highlights.
        TypeText(KeywordBox(dialog), QStringLiteral("e"));
        list->viewport()->repaint();
        QTest::keyClick(KeywordBox(dialog)->lineEdit(), Qt::Key_Backspace);
        list->viewport()->repaint();
        // Selecting a row redraws it in other colours, not other glyphs.
        list->setCurrentIndex(list->model()->index(1, 0));
        list->viewport()->repaint();
        QCOMPARE(delegate->rowsShaped(), shaped);
        // Rows that come into view are shaped.
        list->scrollToBottom();
        list->viewport()->repaint();
        QVERIFY(delegate->rowsShaped() > shaped);
    }

    void aKeystrokePaintsTheListOnce() {
        WindowFixture fixture;
        std::vector<std::string> words = Words("water", 40);
        const std::vector<std::string> more = Words("wax", 40);
        words.insert(words.end(), more.begin(), more.end());
        fixture.writeDictionaries({}, words);
        CLookupDlg dialog(fixture.environment());
        QVERIFY(ShowActive(dialog));
        QWidget* viewport = List(dialog)->viewport();
        const auto settle = [] {
            for (int round = 0; round < 5; ++round) {
                QCoreApplication::processEvents();
            }
        };
        TypeText(KeywordBox(dialog), QStringLiteral("wa"));
        settle();
        // Other rows, and fewer: the list is reset and laid out again.
        PaintCounter paints(viewport);
        TypeText(KeywordBox(dialog), QStringLiteral("t"));
        settle();
        QCOMPARE(List(dialog)->model()->rowCount(), 40);
        QCOMPARE(paints.count, 1);
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

    void anEmptyListOffersSuggestionsUnderAHeading() {
        Missed missed;
        QVERIFY(missed.type());
        CLookupDlg& dialog = *missed.dialog;
        QCOMPARE(Shown(dialog), (QStringList{kHeading, "receive", "relieve"}));
        QCOMPARE(Rows(dialog), QStringList{});
        QCOMPARE(Control<QLabel>(dialog, res::kIdResultCount)->text(),
                 QString::fromUtf8(res::kNoMatch));
        // The best suggestion is chosen already, so Tab and Enter take it;
        // the heading cannot be chosen.
        QAbstractItemView* list = List(dialog);
        QCOMPARE(list->currentIndex().row(), 1);
        QVERIFY(!(list->model()->flags(list->model()->index(0, 0)) & Qt::ItemIsSelectable));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Up);
        QCOMPARE(list->currentIndex().row(), 1);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentIndex().row(), 2);
        // A suggestion is no dictionary line: the detail window never opens.
        dialog.ShowEntryDetails();
        QCOMPARE(DetailWindow() == nullptr || !DetailWindow()->isVisible(), true);
    }

    void enterSpaceOrADoubleClickRunsTheSuggestion() {
        for (const char* how : {"enter", "space", "double-click"}) {
            Missed missed;
            QVERIFY(missed.type());
            CLookupDlg& dialog = *missed.dialog;
            QAbstractItemView* list = List(dialog);
            list->setFocus();
            list->setCurrentIndex(list->model()->index(2, 0));
            if (QByteArray(how) == "enter") {
                QTest::keyClick(list, Qt::Key_Return);
            } else if (QByteArray(how) == "space") {
                QTest::keyClick(list, Qt::Key_Space);
            } else {
                // A view takes a double-click only on the row pressed before.
                const QPoint cell = list->visualRect(list->model()->index(2, 0)).center();
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
            }
            QCOMPARE(KeywordBox(dialog)->currentText(), QStringLiteral("relieve"));
            QCOMPARE(Rows(dialog), QStringList{"relieve,和らげる,,RilI0v"});
            // Enter on a suggestion looks it up; it does not close the window.
            QVERIFY2(dialog.isVisible(), how);
            QVERIFY(DetailWindow() == nullptr || !DetailWindow()->isVisible());
        }
    }

    void aSearchWithRowsOrAnEmptyBoxOffersNothing() {
        Missed missed;
        QVERIFY(missed.type());
        CLookupDlg& dialog = *missed.dialog;
        KeywordBox(dialog)->lineEdit()->clear();
        TypeText(KeywordBox(dialog), QStringLiteral("rec"));
        QCOMPARE(Shown(dialog), QStringList{"receive,受け取る,,R1sI0v"});
        KeywordBox(dialog)->lineEdit()->clear();
        TypeText(KeywordBox(dialog), QStringLiteral("zzzzzzzz"));
        QCOMPARE(Shown(dialog), QStringList{});
    }
};

}  // namespace pelmio

QTEST_MAIN(pelmio::MainWindowTest)
#include "main_window_test.moc"
