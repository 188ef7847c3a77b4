#include <cstdlib>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "res/dialog_templates.h"
#include "tests/ui/ui_test_support.h"
#include "ui/highlight_delegate.h"

namespace pelmio {

using namespace testing;

namespace {

// The largest difference of any channel of any pixel.
int LargestDifference(const QImage& a, const QImage& b) {
    const QImage left = a.convertToFormat(QImage::Format_RGB32);
    const QImage right = b.convertToFormat(QImage::Format_RGB32);
    int largest = 0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            const QRgb p = left.pixel(x, y);
            const QRgb q = right.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)),
                                std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return largest;
}

}  // namespace

class RowTextTest : public QObject {
    Q_OBJECT

private slots:
    // Rows drawn from their kept text, selected or not, with the highlight
    // of another keyword than when the text was kept, against a delegate
    // that has kept nothing and draws every glyph.
    void keptTextLooksAsTextDrawnDirectly() {
        WindowFixture fixture;
        std::vector<std::string> lines;
        for (int i = 0; i < 40; ++i) {
            lines.push_back("water" + std::to_string(1000 + i) + ",水、ウォーター,wO:t@r");
        }
        fixture.writeDictionaries({}, lines);
        CLookupDlg dialog(fixture.environment());
        QVERIFY(ShowActive(dialog));
        QAbstractItemView* list = List(dialog);
        auto* delegate = qobject_cast<HighlightDelegate*>(list->itemDelegate());
        QVERIFY(delegate != nullptr);
        TypeText(KeywordBox(dialog), QStringLiteral("wat"));
        list->viewport()->repaint();
        // The same rows again, now from their kept text.
        TypeText(KeywordBox(dialog), QStringLiteral("e"));
        list->setCurrentIndex(list->model()->index(1, 0));
        list->viewport()->repaint();
        QVERIFY(delegate->rowsDrawn() > 5);
        const int drawn = delegate->rowsDrawn();
        const QImage kept = list->viewport()->grab().toImage();
        QCOMPARE(delegate->rowsDrawn(), drawn);

        list->setItemDelegate(new HighlightDelegate(list));
        const QImage direct = list->viewport()->grab().toImage();
        QCOMPARE(kept.size(), direct.size());
        QVERIFY(LargestDifference(kept, direct) <= 2);
    }
};

}  // namespace pelmio

QTEST_MAIN(pelmio::RowTextTest)
#include "row_text_test.moc"
