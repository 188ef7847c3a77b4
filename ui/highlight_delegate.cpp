#include "ui/highlight_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

#include "ui/result_list_model.h"

namespace pelmio {

void HighlightDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QStyle* style = item.widget != nullptr ? item.widget->style() : QApplication::style();
    const QString text = item.text;
    // The style draws the row's background and selection; the text is ours.
    item.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);

    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget);
    const QString shown = item.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width());
    const bool selected = (item.state & QStyle::State_Selected) != 0;
    QColor mark = item.palette.color(selected ? QPalette::HighlightedText : QPalette::Highlight);
    mark.setAlpha(selected ? 90 : 110);
    QList<QTextLayout::FormatRange> formats;
    const auto* model = qobject_cast<const ResultListModel*>(index.model());
    if (model != nullptr) {
        for (const TextRange& range : model->highlights(index.row())) {
            if (range.start >= shown.size()) {
                break;
            }
            QTextLayout::FormatRange format;
            format.start = range.start;
            format.length = std::min(range.length, static_cast<int>(shown.size()) - range.start);
            format.format.setBackground(mark);
            formats << format;
        }
    }
    QTextLayout layout(shown, item.font);
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setNumColumns(static_cast<int>(shown.size()));
    layout.endLayout();

    painter->save();
    painter->setClipRect(textRect);
    painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const qreal top = textRect.top() + (textRect.height() - line.height()) / 2;
    layout.draw(painter, QPointF(textRect.left(), top));
    painter->restore();
}

}  // namespace pelmio
