#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <QAbstractListModel>

#include "dict/entry_table.h"

namespace pelmio {

// The rows of the result list in display order. Each row is a table index;
// the text is decoded only when a row is drawn, so listing 100,000 rows
// costs no more than copying their indices. The model shares the table it
// was given, so a row keeps its text even after the dictionaries reload.
class ResultListModel : public QAbstractListModel {
    Q_OBJECT

public:
    // The role under which a row answers its entry's table index.
    static constexpr int kEntryIndexRole = Qt::UserRole;

    using QAbstractListModel::QAbstractListModel;

    void setRows(std::shared_ptr<const EntryTable> table, std::vector<std::uint32_t> rows);
    void clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The table the rows were listed from.
    const EntryTable& table() const { return *m_table; }
    // The table index of a row.
    std::uint32_t entryIndex(int row) const { return m_rows[static_cast<std::size_t>(row)]; }

private:
    std::shared_ptr<const EntryTable> m_table;
    std::vector<std::uint32_t> m_rows;
};

}  // namespace pelmio
