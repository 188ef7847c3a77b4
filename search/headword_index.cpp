#include "search/headword_index.h"

#include "base/cp932.h"

namespace pelmio {

std::uint64_t LetterMask(std::string_view text) {
    std::uint64_t once = 0;
    std::uint64_t twice = 0;
    for (const char byte : text) {
        const unsigned char folded = cp932::FoldAscii(static_cast<unsigned char>(byte));
        const unsigned group = folded >= 'a' && folded <= 'z' ? folded - 'a' : 26 + folded % 6;
        const std::uint64_t bit = std::uint64_t{1} << group;
        twice |= once & bit;
        once |= bit;
    }
    return once | twice << 32;
}

HeadwordIndex::HeadwordIndex(const EntryTable& table) {
    // The length of each line's headword, 0 for one not indexed; then the
    // lines sorted by it, each length's in table order.
    std::vector<std::uint8_t> lengths(static_cast<std::size_t>(table.count()));
    std::array<std::uint32_t, kLongest + 2> counts{};
    for (std::size_t line = 0; line < lengths.size(); ++line) {
        const char* bytes = table.line(line);
        std::size_t length = 0;
        unsigned char high = 0;
        while (length <= kLongest && bytes[length] != ',' && bytes[length] != '\0') {
            high |= static_cast<unsigned char>(bytes[length]);
            ++length;
        }
        lengths[line] = length <= kLongest && high < 0x80 ? static_cast<std::uint8_t>(length) : 0;
        ++counts[lengths[line]];
    }
    counts[0] = 0;
    for (std::size_t length = 1; length < m_starts.size(); ++length) {
        m_starts[length] = m_starts[length - 1] + counts[length - 1];
    }
    m_lines.resize(m_starts.back());
    m_masks.resize(m_starts.back());
    std::array<std::uint32_t, kLongest + 2> next = m_starts;
    for (std::size_t line = 0; line < lengths.size(); ++line) {
        if (lengths[line] != 0) {
            const std::uint32_t slot = next[lengths[line]]++;
            m_lines[slot] = static_cast<std::uint32_t>(line);
            m_masks[slot] = LetterMask({table.line(line), lengths[line]});
        }
    }
}

std::size_t HeadwordIndex::memoryUsed() const {
    return m_lines.capacity() * sizeof(std::uint32_t) + m_masks.capacity() * sizeof(std::uint64_t) +
           sizeof(*this);
}

}  // namespace pelmio
