#pragma once

#include <QAbstractListModel>

#include "lookup/lookup_session.h"

namespace pelmio {

// A stretch of a row's text, in UTF-16 code units.
struct TextRange {
    int start;
    int length;

    bool operator==(const TextRange&) const = default;
};

// The rows of the result list in display order. The text of a row is
// decoded only when the row is drawn, so listing 100,000 rows costs no more
// than moving their indices. The result keeps its dictionary, so a row
// keeps its text even after the dictionaries reload.
class ResultListModel : public QAbstractListModel {
    Q_OBJECT

public:
    // The role under which a row answers its entry's table index.
    static constexpr int kEntryIndexRole = Qt::UserRole;
    // A row shows at most this many first bytes of its line.
    static constexpr std::size_t kMaxRowTextBytes = 4096;

    using QAbstractListModel::QAbstractListModel;

    void setResult(SearchResult result);
    const SearchResult& result() const { return m_result; }
    // Where the keywords matched in a row's text, as the search matched them.
    QList<TextRange> highlights(int row) const;
    // When the search listed nothing, its suggestions are the rows, under a
    // heading row that cannot be chosen. Such rows are no dictionary lines.
    bool showsSuggestions() const { return m_result.rows.empty() && !m_result.suggestions.empty(); }
    // The keyword text of a suggestion row; empty for any other row.
    QString suggestion(int row) const;

    // The list view asks for the index of every row whenever it lays the
    // rows out: answered without the checks of the general version.
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QVariant suggestionData(int row, int role) const;

    SearchResult m_result;
};

}  // namespace pelmio
