#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "history/keyword_history.h"
#include "settings/settings_file.h"
#include "tests/ui/ui_test_support.h"
#include "ui/about_dlg.h"
#include "ui/settings_dlg.h"

namespace pelmio {

using namespace testing;

namespace {

std::string History(const WindowFixture& fixture) {
    return ReadBytes(fixture.folder / "strlist.txt");
}

}  // namespace

class HistorySettingsTest : public QObject {
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
};

}  // namespace pelmio

QTEST_MAIN(pelmio::HistorySettingsTest)
#include "history_settings_test.moc"
