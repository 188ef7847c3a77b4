#include "ui/pronunciation_field.h"

#include <QPainter>

#include "lookup/pronunciation.h"

namespace pelmio {

void DrawPronunciation(QPainter& painter, int x, int y, const QImage& strip,
                       std::string_view code) {
    const QRect clip = painter.hasClipping()
                           ? painter.clipBoundingRect().toAlignedRect()
                           : QRect(0, 0, painter.device()->width(), painter.device()->height());
    // On a high-density screen the 7 x 15 cells are scaled up: smoothly, so
    // that at a ratio of 1.5 no stroke is doubled and no column lost. At a
    // ratio of 1 the copy stays exact.
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const GlyphCopy& glyph : PlanPronunciation(code, x, y, clip.right() + 1)) {
        const QRect target(glyph.targetX, glyph.targetY, kGlyphWidth, kGlyphHeight);
        if (glyph.blank) {
            painter.fillRect(target, Qt::white);
        } else {
            painter.drawImage(target.topLeft(), strip,
                              QRect(glyph.sourceX, 0, kGlyphWidth, kGlyphHeight));
        }
    }
    painter.restore();
}

PronunciationField::PronunciationField(QWidget* parent)
    : QFrame(parent), m_strip(QStringLiteral(":/pelmio/glyph_strip.bmp")) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
}

void PronunciationField::setCode(std::string_view code) {
    m_code = KeptPronunciation(code);
    update();
}

void PronunciationField::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect client = contentsRect();
    painter.setClipRect(client);
    painter.fillRect(client, Qt::white);
    DrawPronunciation(painter, client.x() + 1, client.y() + 2, m_strip, m_code);
}

}  // namespace pelmio
