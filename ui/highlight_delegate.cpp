#include "ui/highlight_delegate.h"

#include <QApplication>
#include <QPainter>

#include "ui/result_list_model.h"

namespace pelmio {

namespace {

// The narrowest a printable ASCII character of a font is drawn, so that
// the characters that can show in a width are known before anything is
// shaped.
qreal NarrowestCharacter(const QFont& font) {
    const QFontMetricsF metrics(font);
    qreal narrowest = metrics.averageCharWidth();
    for (char16_t c = 0x21; c < 0x7F; ++c) {
        narrowest = std::min(narrowest, metrics.horizontalAdvance(QChar(c)));
    }
    return std::max<qreal>(narrowest, 1.0);
}

// Only a start that surely overflows the width is measured, never a whole
// long line; should that start fit after all (characters of no width, or
// narrower than any ASCII one), the whole text is measured.
QString Elide(const QString& text, const QFont& font, qreal narrowest, int width) {
    const QFontMetrics metrics(font);
    const auto enough = static_cast<qsizetype>(width / narrowest) + 8;
    if (text.size() > enough) {
        const QString start = text.left(enough);
        const QString shown = metrics.elidedText(start, Qt::ElideRight, width);
        if (shown != start) {
            return shown;
        }
    }
    return metrics.elidedText(text, Qt::ElideRight, width);
}

// Neither the highlight nor the selection is part of the key: they are
// drawn over the shaped text, so a row keeps its shaping while the
// keyword changes.
QString CacheKey(const QString& text, const QFont& font, int width, qreal pixelRatio) {
    return font.key() + QLatin1Char('\n') + QString::number(width) + QLatin1Char(' ') +
           QString::number(pixelRatio) + QLatin1Char('\n') + text;
}

}  // namespace

QString HighlightDelegate::elide(const QString& text, const QFont& font, int width) {
    return Elide(text, font, NarrowestCharacter(font), width);
}

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
    const QString key =
        CacheKey(text, item.font, textRect.width(), painter->device()->devicePixelRatioF());
    QTextLayout* layout = m_layouts.object(key);
    if (layout == nullptr) {
        if (item.font.key() != m_narrowestFont) {
            m_narrowestFont = item.font.key();
            m_narrowest = NarrowestCharacter(item.font);
        }
        layout = new QTextLayout(Elide(text, item.font, m_narrowest, textRect.width()), item.font);
        // Else drawing throws the shaping away.
        layout->setCacheEnabled(true);
        layout->beginLayout();
        QTextLine line = layout->createLine();
        line.setNumColumns(static_cast<int>(layout->text().size()));
        layout->endLayout();
        ++m_rowsShaped;
        m_layouts.insert(key, layout);
    }
    const QTextLine line = layout->lineAt(0);
    const QPointF origin(textRect.left(), textRect.top() + (textRect.height() - line.height()) / 2);

    const bool selected = (item.state & QStyle::State_Selected) != 0;
    QColor mark = item.palette.color(selected ? QPalette::HighlightedText : QPalette::Highlight);
    mark.setAlpha(selected ? 90 : 110);
    painter->save();
    painter->setClipRect(textRect);
    if (const auto* model = qobject_cast<const ResultListModel*>(index.model())) {
        const auto shown = static_cast<int>(layout->text().size());
        for (const TextRange& range : model->highlights(index.row())) {
            if (range.start >= shown) {
                break;
            }
            const qreal left = line.cursorToX(range.start);
            const qreal right = line.cursorToX(std::min(range.start + range.length, shown));
            // Aligned outwards to whole pixels, as a text format's background is.
            painter->fillRect(
                QRectF(origin.x() + left, origin.y() + line.y(), right - left, line.height())
                    .toAlignedRect(),
                mark);
        }
    }
    painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    layout->draw(painter, origin);
    painter->restore();
}

}  // namespace pelmio
