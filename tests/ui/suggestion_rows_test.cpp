#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "res/dialog_templates.h"
#include "tests/ui/ui_test_support.h"

namespace pelmio {

using namespace testing;

namespace {

QComboBox* KeywordBox(CLookupDlg& dialog) {
    return Control<QComboBox>(dialog, res::kIdKeywordBox);
}

QAbstractItemView* List(CLookupDlg& dialog) {
    return Control<QAbstractItemView>(dialog, res::kIdResultList);
}

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

class SuggestionRowsTest : public QObject {
    Q_OBJECT

private slots:
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

QTEST_MAIN(pelmio::SuggestionRowsTest)
#include "suggestion_rows_test.moc"
