#pragma once

#include <QCache>
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
// again without shaping it again.
class HighlightDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // Rows whose laid-out text is kept: many screens of rows.
    static constexpr int kCachedRows = 2000;

    using QStyledItemDelegate::QStyledItemDelegate;

    // text as a row of font shows it in width: cut, with an ellipsis, where
    // it does not fit, exactly as QFontMetrics::elidedText cuts it.
    static QString elide(const QString& text, const QFont& font, int width);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // How many rows were shaped so far; lets a test see that a repaint
    // reused what was laid out.
    int rowsShaped() const { return m_rowsShaped; }

private:
    mutable QCache<QString, QTextLayout> m_layouts{kCachedRows};
    mutable int m_rowsShaped = 0;
    // The narrowest character of the last font rows were drawn in.
    mutable QString m_narrowestFont;
    mutable qreal m_narrowest = 1.0;
};

}  // namespace pelmio
