#include "ui/result_list_model.h"

#include "ui/codec.h"

namespace pelmio {

void ResultListModel::setResult(SearchResult result) {
    beginResetModel();
    m_result = std::move(result);
    endResetModel();
}

QModelIndex ResultListModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || column != 0 || row < 0 ||
        static_cast<std::size_t>(row) >= m_result.size()) {
        return {};
    }
    return createIndex(row, column);
}

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_result.size());
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return FromCp932(m_result.line(row));
    }
    if (role == kEntryIndexRole) {
        return m_result.rows[row];
    }
    return {};
}

}  // namespace pelmio
