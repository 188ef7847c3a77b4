#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "dict/entry_table.h"

namespace pelmio {

// The table's ASCII headwords (the text before each line's first comma) of
// 1 to kLongest bytes, grouped by length, each with the letters it holds:
// what a look for near spellings or a headword's own line needs, without
// reading every line again.
class HeadwordIndex {
public:
    static constexpr std::size_t kLongest = 66;

    HeadwordIndex() = default;
    explicit HeadwordIndex(const EntryTable& table);

    // The lines whose headword is length bytes long, in table order.
    std::span<const std::uint32_t> linesOfLength(std::size_t length) const {
        return std::span(m_lines).subspan(m_starts[length],
                                          m_starts[length + 1] - m_starts[length]);
    }
    // LetterMask of each of those headwords, in the same order.
    std::span<const std::uint64_t> masksOfLength(std::size_t length) const {
        return std::span(m_masks).subspan(m_starts[length],
                                          m_starts[length + 1] - m_starts[length]);
    }
    std::size_t memoryUsed() const;

private:
    std::vector<std::uint32_t> m_lines;
    std::vector<std::uint64_t> m_masks;
    // Where each length's lines begin in m_lines; the last is the end.
    std::array<std::uint32_t, kLongest + 2> m_starts{};
};

// Two marks for each letter (either case), and for other bytes for each
// of six groups by their value: in the low half, a bit where text holds it
// once or more; in the high half, where it holds it twice or more. An edit
// changes one count by one (an added or removed byte) or two (a
// substitution; a swap none), and a count changed by one crosses at most
// one mark, so texts d edits apart differ in at most 2d bits.
std::uint64_t LetterMask(std::string_view text);

}  // namespace pelmio
