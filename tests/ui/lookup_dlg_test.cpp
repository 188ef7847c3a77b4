#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "res/dialog_templates.h"
#include "settings/settings_file.h"
#include "tests/ui/ui_test_support.h"
#include "ui/dialog_builder.h"
#include "ui/lookup_dlg.h"

namespace pelmio {

using namespace testing;
using Fixture = WindowFixture;

class LookupDlgTest : public QObject {
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
};

}  // namespace pelmio

QTEST_MAIN(pelmio::LookupDlgTest)
#include "lookup_dlg_test.moc"
