// The settings dialog (row limit and options) and the About box.
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <filesystem>

#include "history/keyword_history.h"
#include "res/dialog_templates.h"
#include "settings/options_file.h"
#include "settings/settings_file.h"
#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/about_dlg.h"
#include "ui/detail_dlg.h"
#include "ui/lookup_dlg.h"
#include "ui/result_list_model.h"
#include "ui/settings_dlg.h"

namespace pelmio {

using namespace testing;
namespace fs = std::filesystem;

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void settingsDialogShowsAndSetsTheRowLimit() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {"a1", "a2", "a3", "a4", "a5"});
        {
            CLookupDlg dialog(fixture.environment());
            QString shown;
            WhenOpen<CSettingsDlg>([&shown](CSettingsDlg& settings) {
                auto* box = Control<QComboBox>(settings, res::kIdKeywordBox);
                shown = box->currentText();
                QCOMPARE(Items(*box),
                         (QStringList{"10", "50", "100", "300", "500", "800", "1000", "無制限"}));
                box->setEditText(QStringLiteral("3"));
                QTest::mouseClick(Control<QPushButton>(settings, res::kIdOk), Qt::LeftButton);
            });
            Control<QPushButton>(dialog, res::kIdSettings)->click();
            QCOMPARE(shown, QStringLiteral("無制限"));
            TypeText(Control<QComboBox>(dialog, res::kIdKeywordBox), QStringLiteral("a"));
            QCOMPARE(Rows(dialog).size(), 3);
        }
        // Written at the end, read at the next start.
        QCOMPARE(ReadRowLimit(fixture.folder / "pelmio.inf"), 3);
        CLookupDlg again(fixture.environment());
        QString shown;
        WhenOpen<CSettingsDlg>([&shown](CSettingsDlg& settings) {
            shown = Control<QComboBox>(settings, res::kIdKeywordBox)->currentText();
            Control<QComboBox>(settings, res::kIdKeywordBox)->setEditText(QStringLiteral("-5"));
            QTest::mouseClick(Control<QPushButton>(settings, res::kIdCancel),
                              Qt::LeftButton);  // ｷｬﾝｾﾙ
        });
        Control<QPushButton>(again, res::kIdSettings)->click();
        QCOMPARE(shown, QStringLiteral("3"));
        // Cancel kept the limit.
        TypeText(Control<QComboBox>(again, res::kIdKeywordBox), QStringLiteral("a"));
        QCOMPARE(Rows(again).size(), 3);
    }

    void aTypedRowLimitIsNotCompletedFromTheList() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {});
        CLookupDlg dialog(fixture.environment());
        // Each is the start of a listed value: 50, 10, 300, 800.
        for (const QString& typed :
             {QStringLiteral("5"), QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("8")}) {
            WhenOpen<CSettingsDlg>([&typed](CSettingsDlg& settings) {
                auto* box = Control<QComboBox>(settings, res::kIdKeywordBox);
                // Completion works on the focused box only.
                settings.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&settings));
                box->setFocus();
                box->lineEdit()->selectAll();
                QTest::keyClicks(box->lineEdit(), typed);
                QTest::mouseClick(Control<QPushButton>(settings, res::kIdOk), Qt::LeftButton);
            });
            Control<QPushButton>(dialog, res::kIdSettings)->click();
            QCOMPARE(ReadRowLimit(fixture.folder / "pelmio.inf"), typed.toInt());
        }
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

    void aboutBoxOpensFromTheWindowMenu() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {});
        CLookupDlg dialog(fixture.environment());
        auto* menu = dialog.findChild<QMenu*>();
        QVERIFY(menu != nullptr);
        const QList<QAction*> actions = menu->actions();
        QVERIFY(actions.size() >= 2);
        QVERIFY(actions[actions.size() - 2]->isSeparator());
        QCOMPARE(actions.last()->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(Pelmio) (&A)..."));
        QString caption;
        QString homePage;
        WhenOpen<CAboutDlg>([&](CAboutDlg& about) {
            caption = about.windowTitle();
            auto* field = Control<QLineEdit>(about, res::kIdHomePage);
            homePage = field->text();
            QVERIFY(!field->isReadOnly());
            field->setText(QStringLiteral("edited"));
            QTest::mouseClick(Control<QPushButton>(about, res::kIdOk), Qt::LeftButton);
        });
        actions.last()->trigger();
        QCOMPARE(caption, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報 Pelmio"));
        QVERIFY(homePage.startsWith(QStringLiteral("https://")));
        // The edit went with the box.
        WhenOpen<CAboutDlg>([&](CAboutDlg& about) {
            homePage = Control<QLineEdit>(about, res::kIdHomePage)->text();
            about.reject();
        });
        actions.last()->trigger();
        QVERIFY(homePage.startsWith(QStringLiteral("https://")));
    }

    void f1OpensTheAboutBox() {
        // An empty folder: the missing dictionaries are told to a recorder.
        const testing::TempFolder folder;
        QStringList messages;
        LookupEnvironment environment;
        environment.folder = folder.path();
        environment.showMessage = [&messages](QWidget*, const QString& text, const QString&) {
            messages << text;
        };
        CLookupDlg window(environment);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        // The About box is modal: closed from a timer, whatever has the focus.
        bool opened = false;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&opened] {
            if (auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget())) {
                opened = true;
                about->reject();
            }
        });
        closer.start(10);
        QTest::keyClick(window.focusWidget(), Qt::Key_F1);
        closer.stop();
        QVERIFY(opened);
        QCOMPARE(messages.size(), 2);
    }
};

}  // namespace pelmio

QTEST_MAIN(pelmio::DialogsTest)
#include "dialogs_test.moc"
