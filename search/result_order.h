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

// How many first bytes of a line UpperCaseLetters looks at.
inline constexpr std::size_t kCaseBitBytes = 8;

// Bit j is set when byte j of text (j < kCaseBitBytes) is an upper-case ASCII letter
// that begins a character. Two texts whose starts are equal without case
// are equal as they stand where these bits agree.
std::uint8_t UpperCaseLetters(std::string_view text);

// The whole table sorted once, so a search can put its matches in order in
// linear time instead of sorting them on every keystroke.
class ResultOrder {
public:
    ResultOrder() = default;
    explicit ResultOrder(const EntryTable& table);

    // How arrange puts matches in order: by sorting them by position, or
    // by walking the whole display order and keeping the matches.
    // ByCost picks whichever costs less for the number of matches.
    enum class Method { ByCost, Sorting, Walking };

    // matches: distinct table indices in any order; rearranged into display
    // order.
    void arrange(std::vector<std::uint32_t>& matches, Method method = Method::ByCost) const;

    // Where table index `index` stands in display order, and the reverse.
    std::uint32_t position(std::uint32_t index) const { return m_rank[index]; }
    std::uint32_t indexAt(std::uint32_t position) const { return m_sorted[position]; }

    // The display positions [first, last) of the lines that begin with
    // prefix, ASCII letters that begin a character compared without case:
    // such lines stand together in display order. Only for a prefix of at
    // most kSortKeyBytes bytes, which is all the order compares.
    std::pair<std::uint32_t, std::uint32_t> linesBeginningWith(const EntryTable& table,
                                                               std::string_view prefix) const;

    // UpperCaseLetters of the line at display position `position`, kept so
    // that ranking thousands of rows by case reads none of their lines.
    std::uint8_t upperCaseLetters(std::uint32_t position) const { return m_upperCase[position]; }

    std::size_t memoryUsed() const {
        return (m_sorted.capacity() + m_rank.capacity()) * 4 + m_upperCase.capacity();
    }

private:
    std::vector<std::uint32_t> m_sorted;    // table indices in display order
    std::vector<std::uint32_t> m_rank;      // position of each index in m_sorted
    std::vector<std::uint8_t> m_upperCase;  // by display position
};

}  // namespace pelmio
