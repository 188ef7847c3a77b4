#pragma once

#include <QStyledItemDelegate>

namespace pelmio {

// Draws a result row with every keyword occurrence the search used shown
// on a background colour taken from the palette, so it reads in light and
// dark themes alike. Only rows being painted are looked at.
class HighlightDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

}  // namespace pelmio
