#pragma once

#include <string>
#include <string_view>

#include <QFrame>
#include <QImage>

class QPainter;

namespace pelmio {

// Draws a phonetic code string as glyphs copied unscaled from the strip,
// from (x, y), one 7-pixel cell per byte; a byte with no glyph draws a
// blank white cell. The painter's clip decides where drawing stops.
void DrawPronunciation(QPainter& painter, int x, int y, const QImage& strip, std::string_view code);

// The detail window's white, sunken pronunciation field. It keeps its own
// copy of the code and paints the glyphs whenever it repaints, so
// uncovering it never blanks it.
class PronunciationField : public QFrame {
    Q_OBJECT

public:
    explicit PronunciationField(QWidget* parent = nullptr);

    // Keeps the code as KeptPronunciation cuts it, and repaints.
    void setCode(std::string_view code);
    const std::string& code() const { return m_code; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_strip;
    std::string m_code;
};

}  // namespace pelmio
