#pragma once

#include <QTableView>

namespace pelmio {

// The result list: one column of rows that all have one height. A table
// view with fixed row heights finds any row by arithmetic, so listing
// 100,000 rows costs what the visible rows cost; a list view lays every
// row out on each reset. It behaves as a list: no headers, no grid, Tab
// leaves it, Home and End go to the first and last row, a whole row is
// selected.
class ResultListView : public QTableView {
    Q_OBJECT

public:
    explicit ResultListView(QWidget* parent = nullptr);

    // Lays the rows out at once: on Qt's zero timer the layout came after
    // the reset's own paint, and every visible row was painted twice.
    void reset() override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void changeEvent(QEvent* event) override;

private:
    // Every row as high as the style makes one line of text in this font.
    void fitRowHeight();
};

}  // namespace pelmio
