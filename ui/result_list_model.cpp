#include "ui/result_list_model.h"

#include "ui/codec.h"

namespace pelmio {

void ResultListModel::setRows(std::shared_ptr<const EntryTable> table, std::vector<std::uint32_t> rows) {
    beginResetModel();
    m_table = std::move(table);
    m_rows = std::move(rows);
    endResetModel();
}

void ResultListModel::clear() { setRows(nullptr, {}); }

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const std::uint32_t entry = entryIndex(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return FromCp932(m_table->lineView(entry));
    }
    if (role == kEntryIndexRole) {
        return entry;
    }
    return {};
}

}  // namespace pelmio
