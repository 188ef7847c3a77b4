#pragma once

#include <QCache>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QStyledItemDelegate>
#include <QTextLayout>

namespace pelmio {

// Draws a result row with every keyword occurrence the search used shown
// on a background colour taken from the palette, so it reads in light and
// dark themes alike. Only rows being painted are looked at.
//
// Shaping text is most of what painting a row costs, so a row is shaped
// only as far as it shows, and its laid-out text is kept apart from its
// highlight: a row that stays on screen while the user types is drawn
// again without shaping it again. Blending the glyphs one by one onto the
// row costs most of the rest, so the drawn text of recent rows is kept
// too, as an image laid over the row's background and highlight.
class HighlightDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // Rows whose laid-out text is kept: many screens of rows.
    static constexpr int kCachedRows = 2000;
    // Bytes of drawn text kept: a dozen screens of long rows.
    static constexpr int kCachedTextBytes = 12 * 1024 * 1024;

    using QStyledItemDelegate::QStyledItemDelegate;

    // text as a row of font shows it in width: cut, with an ellipsis, where
    // it does not fit, exactly as QFontMetrics::elidedText cuts it.
    static QString elide(const QString& text, const QFont& font, int width);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // How many rows were shaped so far; lets a test see that a repaint
    // reused what was laid out.
    int rowsShaped() const { return m_rowsShaped; }
    // How many rows' text was drawn glyph by glyph so far.
    int rowsDrawn() const { return m_rowsDrawn; }

private:
    // The key of a row's shaping: its text, font, width and pixel ratio.
    QString layoutKey(const QString& text, const QFont& font, int width, qreal pixelRatio) const;
    // Draws the row's text from an image of it, made on first use; false
    // where that would not give the pixels drawing it directly gives.
    bool drawKeptText(QPainter* painter, const QTextLayout& layout, const QString& key,
                      const QRect& textRect, const QPointF& origin, const QColor& pen) const;

    mutable QCache<QString, QTextLayout> m_layouts{kCachedRows};
    mutable QCache<QString, QImage> m_drawnText{kCachedTextBytes / 1024};
    mutable int m_rowsShaped = 0;
    mutable int m_rowsDrawn = 0;
    // The last font rows were drawn in, and its key.
    mutable QFont m_lastFont;
    mutable QString m_lastFontKey;
    // Whether a row's text laid over it from an image looked as the text
    // drawn directly did, for the font m_lastFont: glyphs drawn with
    // sub-pixel colours depend on what is under them, and do not.
    enum class Check { NotYet, Same, Differs };
    mutable Check m_keptTextCheck = Check::NotYet;
    // The narrowest character of the last font rows were drawn in.
    mutable QString m_narrowestFont;
    mutable qreal m_narrowest = 1.0;
};

}  // namespace pelmio
