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

QList<TextRange> ResultListModel::highlights(int row) const {
    QList<TextRange> ranges;
    if (row < 0 || row >= rowCount()) {
        return ranges;
    }
    const std::string_view line = m_result.line(static_cast<std::size_t>(row));
    for (const ByteSpan& span : m_result.spans(static_cast<std::size_t>(row))) {
        // Byte offsets to text offsets: decode what comes before.
        const auto start = static_cast<int>(FromCp932(line.substr(0, span.begin)).size());
        const auto length =
            static_cast<int>(FromCp932(line.substr(span.begin, span.length)).size());
        ranges.push_back({start, length});
    }
    return ranges;
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        // A row shows a line's start only: decoding and laying out a line of
        // many megabytes would stall every repaint. The detail window has it all.
        return FromCp932(Cp932Prefix(m_result.line(row), kMaxRowTextBytes));
    }
    if (role == kEntryIndexRole) {
        return m_result.rows[row];
    }
    return {};
}

}  // namespace pelmio
