#include "ui/result_list_model.h"

#include "base/cp932.h"
#include "ui/codec.h"

namespace pelmio {

void ResultListModel::setResult(SearchResult result) {
    beginResetModel();
    m_result = std::move(result);
    endResetModel();
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
        // A row shows a line's start only: decoding and laying out a line of
        // many megabytes would stall every repaint. The detail window has it all.
        return FromCp932(cp932::CutAtCharBoundary(m_result.line(row), kMaxRowTextBytes));
    }
    if (role == kEntryIndexRole) {
        return m_result.rows[row];
    }
    return {};
}

}  // namespace pelmio
