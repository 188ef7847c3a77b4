#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "dict/entry_table.h"

namespace pelmio {

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

    std::size_t memoryUsed() const { return (m_sorted.capacity() + m_rank.capacity()) * 4; }

private:
    std::vector<std::uint32_t> m_sorted;  // table indices in display order
    std::vector<std::uint32_t> m_rank;    // position of each index in m_sorted
};

}  // namespace pelmio
