#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "dict/entry_table.h"

namespace pelmio {

// Only this many first bytes of a line decide its place; lines equal in
// them keep table order.
inline constexpr std::size_t kSortKeyBytes = 256;

// The order rows are shown in: ASCII letters (a byte that begins a
// character, never the second byte of a double-byte one) compared without
// case, then the raw bytes, then the table index, so the order is total and
// the same on every run. Only the first 256 bytes of a line are compared.
bool RowLess(std::string_view a, std::uint32_t indexA, std::string_view b, std::uint32_t indexB);

// The whole table sorted once, so a search can put its matches in order in
// linear time instead of sorting them on every keystroke.
class ResultOrder {
public:
    ResultOrder() = default;
    explicit ResultOrder(const EntryTable& table);

    // matches: table indices in any order; rearranged into display order.
    void arrange(std::vector<std::uint32_t>& matches) const;

    // Where table index `index` stands in display order.
    std::uint32_t position(std::uint32_t index) const { return m_rank[index]; }

    // The display positions [first, last) of the lines that begin with
    // prefix, ASCII letters that begin a character compared without case:
    // such lines stand together in display order. Only for a prefix of at
    // most kSortKeyBytes bytes, which is all the order compares.
    std::pair<std::uint32_t, std::uint32_t> linesBeginningWith(const EntryTable& table,
                                                               std::string_view prefix) const;

    std::size_t memoryUsed() const { return (m_sorted.capacity() + m_rank.capacity()) * 4; }

private:
    std::vector<std::uint32_t> m_sorted;  // table indices in display order
    std::vector<std::uint32_t> m_rank;    // position of each index in m_sorted
};

}  // namespace pelmio
