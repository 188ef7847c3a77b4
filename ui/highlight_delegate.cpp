#include "ui/highlight_delegate.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include <QApplication>
#include <QPaintEngine>
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

// Where rect lands in the device's pixels, when the painter only scales
// by the device's pixel ratio and rect's corners fall on whole pixels, so
// an image of it is copied pixel for pixel.
std::optional<QRect> DeviceRect(const QPainter& painter, const QRect& rect, qreal ratio) {
    const QTransform transform = painter.deviceTransform();
    if (transform.type() > QTransform::TxScale || transform.m11() != ratio ||
        transform.m22() != ratio) {
        return std::nullopt;
    }
    const QRectF mapped = transform.mapRect(QRectF(rect));
    const QRect whole = mapped.toRect();
    if (QRectF(whole) != mapped) {
        return std::nullopt;
    }
    return whole;
}

// The text alone on a transparent image of size device pixels, drawn as it
// would be at offset within the row's text rectangle.
QImage DrawText(const QTextLayout& layout, QSize size, qreal ratio, const QPointF& offset,
                const QColor& pen) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(pen);
    layout.draw(&painter, offset);
    return image;
}

// Whether two images of one size differ by more than rounding in any
// channel of any pixel.
bool AlmostEqual(const QImage& a, const QImage& b) {
    for (int y = 0; y < a.height(); ++y) {
        const auto* left = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* right = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = left[x];
            const QRgb q = right[x];
            if (std::abs(qRed(p) - qRed(q)) > 2 || std::abs(qGreen(p) - qGreen(q)) > 2 ||
                std::abs(qBlue(p) - qBlue(q)) > 2) {
                return false;
            }
        }
    }
    return true;
}

// The image the painter's strokes end up in, where it paints into one.
QImage* TargetImage(QPainter& painter) {
    QPaintDevice* device = painter.paintEngine()->paintDevice();
    return device != nullptr && device->devType() == QInternal::Image ? static_cast<QImage*>(device)
                                                                      : nullptr;
}

}  // namespace

// Neither the highlight nor the selection is part of the key: they are
// drawn under the shaped text, so a row keeps its shaping while the
// keyword changes.
QString HighlightDelegate::layoutKey(const QString& text, const QFont& font, int width,
                                     qreal pixelRatio) const {
    // A font's key is slow to build; rows almost always share one font.
    if (m_lastFontKey.isEmpty() || font != m_lastFont) {
        m_lastFont = font;
        m_lastFontKey = font.key();
        m_keptTextCheck = Check::NotYet;
    }
    return m_lastFontKey + QLatin1Char('\n') + QString::number(width) + QLatin1Char(' ') +
           QString::number(qRound(pixelRatio * 1000)) + QLatin1Char('\n') + text;
}

bool HighlightDelegate::drawKeptText(QPainter* painter, const QTextLayout& layout,
                                     const QString& key, const QRect& textRect,
                                     const QPointF& origin, const QColor& pen) const {
    if (m_keptTextCheck == Check::Differs ||
        painter->compositionMode() != QPainter::CompositionMode_SourceOver) {
        return false;
    }
    const qreal ratio = painter->device()->devicePixelRatioF();
    const std::optional<QRect> deviceRect = DeviceRect(*painter, textRect, ratio);
    if (!deviceRect || deviceRect->isEmpty()) {
        return false;
    }
    const QString imageKey = key + QLatin1Char('\n') + QString::number(pen.rgba(), 16);
    if (const QImage* kept = m_drawnText.object(imageKey)) {
        painter->drawImage(textRect.topLeft(), *kept);
        return true;
    }
    // Once a font: the text drawn directly against the image laid over the
    // same pixels, where the row lies wholly in what is painted; until then
    // a row that cannot be checked is drawn directly, and no image is made.
    QImage* target = nullptr;
    if (m_keptTextCheck == Check::NotYet) {
        target = TargetImage(*painter);
        const QRegion painted = painter->paintEngine()->systemClip();
        if (target == nullptr || !target->rect().contains(*deviceRect) ||
            (!painted.isEmpty() && painted.intersected(*deviceRect) != QRegion(*deviceRect))) {
            return false;
        }
    }
    const QPointF offset = origin - QPointF(textRect.topLeft());
    auto* image = new QImage(DrawText(layout, deviceRect->size(), ratio, offset, pen));
    ++m_rowsDrawn;
    if (m_keptTextCheck == Check::NotYet) {
        const QImage under = target->copy(*deviceRect);
        painter->setPen(pen);
        layout.draw(painter, origin);
        const QImage direct =
            target->copy(*deviceRect).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (direct == under.convertToFormat(QImage::Format_ARGB32_Premultiplied)) {
            delete image;  // nothing drawn to tell by: the next row
            return true;
        }
        // Pixel for pixel: copies of the target keep its pixel ratio.
        QImage laid = under.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        laid.setDevicePixelRatio(1.0);
        QImage alone = *image;
        alone.setDevicePixelRatio(1.0);
        QPainter(&laid).drawImage(0, 0, alone);
        m_keptTextCheck = AlmostEqual(laid, direct) ? Check::Same : Check::Differs;
        if (m_keptTextCheck == Check::Same) {
            m_drawnText.insert(imageKey, image,
                               std::max<qsizetype>(image->sizeInBytes() / 1024, 1));
        } else {
            delete image;
        }
        return true;
    }
    m_drawnText.insert(imageKey, image, std::max<qsizetype>(image->sizeInBytes() / 1024, 1));
    painter->drawImage(textRect.topLeft(), *image);
    return true;
}

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
        layoutKey(text, item.font, textRect.width(), painter->device()->devicePixelRatioF());
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
    const QColor pen = item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    if (!drawKeptText(painter, *layout, key, textRect, origin, pen)) {
        painter->setPen(pen);
        layout->draw(painter, origin);
    }
    painter->restore();
}

}  // namespace pelmio
