#pragma once

#include <string_view>

#include <QFrame>
#include <QImage>

class QPainter;

namespace pelmio {

class PronunciationBuffer;

// Draws a phonetic code string as glyphs copied unscaled from the strip,
// from (x, y), one 7-pixel cell per byte; a byte with no glyph draws a
// blank white cell. The painter's clip decides where drawing stops.
void DrawPronunciation(QPainter& painter, int x, int y, const QImage& strip, std::string_view code);

// The detail window's white, sunken pronunciation field. It paints the
// buffer's glyphs whenever it repaints, so uncovering it never blanks it.
class PronunciationField : public QFrame {
    Q_OBJECT

public:
    PronunciationField(const QImage& strip, const PronunciationBuffer& buffer, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage& m_strip;
    const PronunciationBuffer& m_buffer;
};

}  // namespace pelmio
