#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dict/entry_table.h"
#include "search/keyword_search.h"
#include "search/result_order.h"

namespace pelmio {

// Searches one table keystroke after keystroke. When the keyword text only
// grows (a letter, a space, a new token typed at its end), every line that
// matches now matched before, so only the previous matches are looked at.
// It keeps every previous match, never only the rows a limit let in, so the
// row limit never hides a line from a later search.
class NarrowingSearch {
public:
    // The same as SearchEntries(table, order, keywordBytes, rowLimit,
    // options, aids); a change of options searches the whole table again.
    // The table must be the one of the previous call, or forget() called
    // since.
    Matches search(const EntryTable& table, const ResultOrder& order, std::string_view keywordBytes,
                   std::int32_t rowLimit, const SearchOptions& options = {},
                   const TableAids& aids = {});

    // Drops what the previous search found: the table changed.
    void forget();

private:
    bool m_valid = false;
    bool m_ignoreCase = false;  // how the last search matched
    bool m_skipPronunciation = false;
    std::string m_text;                  // the keyword text searched last, as cut
    std::vector<std::uint32_t> m_lines;  // every line it matched, in table order
};

}  // namespace pelmio
