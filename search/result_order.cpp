#include "search/result_order.h"

#include <algorithm>

#include "base/cp932.h"

namespace pelmio {
namespace {

constexpr unsigned char Fold(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

// Only a byte that begins a character is folded: the second byte of a
// double-byte character may look like an ASCII letter, but is not one.
// Up to the first difference both lines hold the same characters, so one
// walk over a finds the character starts of both.
int CompareFolded(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t charStart = 0;
    for (std::size_t i = 0; i < common; ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (i == charStart) {
            x = Fold(x);
            y = Fold(y);
            charStart += cp932::CharLength(a, i);
        }
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The first eight folded bytes, big-endian, so most comparisons while
// sorting are one integer compare. Shorter lines pad with 0, which sorts
// first, as a shorter string does.
std::uint64_t FoldedPrefix(std::string_view line) {
    std::uint64_t key = 0;
    std::size_t charStart = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        unsigned char byte = 0;
        if (i < line.size()) {
            byte = static_cast<unsigned char>(line[i]);
            if (i == charStart) {
                byte = Fold(byte);
                charStart += cp932::CharLength(line, i);
            }
        }
        key = (key << 8) | byte;
    }
    return key;
}

}  // namespace

bool RowLess(std::string_view a, std::uint32_t indexA, std::string_view b, std::uint32_t indexB) {
    if (const int folded = CompareFolded(a, b); folded != 0) {
        return folded < 0;
    }
    if (const int raw = a.compare(b); raw != 0) {
        return raw < 0;
    }
    return indexA < indexB;
}

ResultOrder::ResultOrder(const EntryTable& table) {
    const auto count = static_cast<std::uint32_t>(table.count());
    struct Key {
        std::uint64_t prefix;
        std::uint32_t index;
    };
    std::vector<Key> keys(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        keys[i] = {FoldedPrefix(table.lineView(i)), i};
    }
    std::sort(keys.begin(), keys.end(), [&table](const Key& x, const Key& y) {
        if (x.prefix != y.prefix) {
            return x.prefix < y.prefix;
        }
        return RowLess(table.lineView(x.index), x.index, table.lineView(y.index), y.index);
    });
    m_sorted.resize(count);
    m_rank.resize(count);
    for (std::uint32_t position = 0; position < count; ++position) {
        m_sorted[position] = keys[position].index;
        m_rank[keys[position].index] = position;
    }
}

void ResultOrder::arrange(std::vector<std::uint32_t>& matches) const {
    // Many matches: walk the sorted table once. Few: sort them by rank.
    if (matches.size() * 16 < m_sorted.size()) {
        std::sort(matches.begin(), matches.end(),
                  [this](std::uint32_t x, std::uint32_t y) { return m_rank[x] < m_rank[y]; });
        return;
    }
    std::vector<bool> wanted(m_sorted.size());
    for (const std::uint32_t index : matches) {
        wanted[index] = true;
    }
    matches.clear();
    for (const std::uint32_t index : m_sorted) {
        if (wanted[index]) {
            matches.push_back(index);
        }
    }
}

}  // namespace pelmio
