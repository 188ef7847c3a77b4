#include "ui/result_list_model.h"

#include "res/dialog_templates.h"
#include "ui/codec.h"

namespace pelmio {

void ResultListModel::setResult(SearchResult result) {
    beginResetModel();
    m_result = std::move(result);
    endResetModel();
}

QModelIndex ResultListModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || column != 0 || row < 0 || row >= rowCount()) {
        return {};
    }
    return createIndex(row, column);
}

int ResultListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    return static_cast<int>(showsSuggestions() ? m_result.suggestions.size() + 1 : m_result.size());
}

QString ResultListModel::suggestion(int row) const {
    if (!showsSuggestions() || row < 1 || row >= rowCount()) {
        return {};
    }
    return FromCp932(m_result.suggestions[static_cast<std::size_t>(row - 1)]);
}

Qt::ItemFlags ResultListModel::flags(const QModelIndex& index) const {
    // The heading is skipped by the arrow keys and never selected.
    if (showsSuggestions() && index.row() == 0) {
        return Qt::NoItemFlags;
    }
    return QAbstractListModel::flags(index);
}

QVariant ResultListModel::suggestionData(int row, int role) const {
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole || role == Qt::AccessibleTextRole) {
        return row == 0 ? QString::fromUtf8(res::kSuggestionHeading) : suggestion(row);
    }
    return {};
}

QList<TextRange> ResultListModel::highlights(int row) const {
    QList<TextRange> ranges;
    if (row < 0 || static_cast<std::size_t>(row) >= m_result.size()) {
        return ranges;  // a suggestion row matched nothing
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
    if (showsSuggestions()) {
        return suggestionData(index.row(), role);
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
