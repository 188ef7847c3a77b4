#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "res/dialog_templates.h"
#include "tests/ui/ui_test_support.h"
#include "ui/highlight_delegate.h"

namespace pelmio {

using namespace testing;

namespace {

QAbstractItemView* List(CLookupDlg& dialog) {
    return Control<QAbstractItemView>(dialog, res::kIdResultList);
}

QComboBox* KeywordBox(CLookupDlg& dialog) {
    return Control<QComboBox>(dialog, res::kIdKeywordBox);
}

std::vector<std::string> Words(const std::string& stem, int count) {
    std::vector<std::string> words;
    for (int i = 0; i < count; ++i) {
        words.push_back(stem + std::to_string(1000 + i) + ",意味");
    }
    return words;
}

}  // namespace

class ResultListTest : public QObject {
    Q_OBJECT

private slots:
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
};

}  // namespace pelmio

QTEST_MAIN(pelmio::ResultListTest)
#include "result_list_test.moc"
