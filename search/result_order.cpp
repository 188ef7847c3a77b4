#include "search/result_order.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "base/cp932.h"

namespace pelmio {
namespace {

// arrange walks the whole order once a result holds one line in this many
// or more. bench/ (arrange/sorting against arrange/walking) puts the
// crossover at about 2,000 matches in 100,000 lines: sorting 2,048 costs
// about as much as the walk (65 against 75 µs), sorting 4,096 2.5 times
// as much.
constexpr std::size_t kWalkFraction = 48;

// kSortKeyBytes: dictionary lines differ far sooner, and the cap bounds the
// cost of sorting lines that share a long start.

constexpr std::uint64_t kEveryByte = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x80 * kEveryByte;

std::uint64_t Load8(const char* bytes) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// Fold of eight bytes at once: 0x20 added to each byte from 'A' to 'Z'.
std::uint64_t Fold8(std::uint64_t word) {
    const std::uint64_t low = word & ~kHighBits;
    const std::uint64_t atLeastA = low + (0x80 - 'A') * kEveryByte;
    const std::uint64_t aboveZ = low + (0x80 - 'Z' - 1) * kEveryByte;
    return word | ((atLeastA & ~aboveZ & ~word & kHighBits) >> 2);
}

// The byte at position k (in memory order) of a word loaded by Load8.
unsigned char ByteAt(std::uint64_t word, int k) {
    const int shift = std::endian::native == std::endian::little ? 8 * k : 56 - 8 * k;
    return static_cast<unsigned char>(word >> shift);
}

// Only a byte that begins a character is folded: the second byte of a
// double-byte character may look like an ASCII letter, but is not one.
// Up to the first difference both lines hold the same characters, so one
// walk over a finds the character starts of both. Eight ASCII bytes of a
// that begin at a character start are each a character: they are folded
// and compared as one word.
int CompareFolded(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t i = 0;
    std::size_t charStart = 0;
    while (i < common) {
        if (i == charStart && i + 8 <= common) {
            const std::uint64_t wordA = Load8(a.data() + i);
            if ((wordA & kHighBits) == 0) {
                const std::uint64_t foldedA = Fold8(wordA);
                const std::uint64_t foldedB = Fold8(Load8(b.data() + i));
                if (foldedA != foldedB) {
                    const std::uint64_t diff = foldedA ^ foldedB;
                    const int k =
                        (std::endian::native == std::endian::little ? std::countr_zero(diff)
                                                                    : std::countl_zero(diff)) /
                        8;
                    return ByteAt(foldedA, k) < ByteAt(foldedB, k) ? -1 : 1;
                }
                i += 8;
                charStart = i;
                continue;
            }
        }
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (i == charStart) {
            x = cp932::FoldAscii(x);
            y = cp932::FoldAscii(y);
            charStart += cp932::CharLength(a, i);
        }
        if (x != y) {
            return x < y ? -1 : 1;
        }
        ++i;
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
                byte = cp932::FoldAscii(byte);
                charStart += cp932::CharLength(line, i);
            }
        }
        key = (key << 8) | byte;
    }
    return key;
}

}  // namespace

std::uint8_t UpperCaseLetters(std::string_view text) {
    std::uint8_t bits = 0;
    for (std::size_t i = 0; i < std::min(text.size(), kCaseBitBytes);) {
        if (text[i] >= 'A' && text[i] <= 'Z') {
            bits |= static_cast<std::uint8_t>(1U << i);
        }
        i += cp932::CharLength(text, i);
    }
    return bits;
}

bool RowLess(std::string_view a, std::uint32_t indexA, std::string_view b, std::uint32_t indexB) {
    a = a.substr(0, kSortKeyBytes);
    b = b.substr(0, kSortKeyBytes);
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
    m_upperCase.resize(count);
    for (std::uint32_t position = 0; position < count; ++position) {
        m_sorted[position] = keys[position].index;
        m_rank[keys[position].index] = position;
        m_upperCase[position] = UpperCaseLetters(table.lineView(keys[position].index));
    }
}

std::pair<std::uint32_t, std::uint32_t> ResultOrder::linesBeginningWith(
    const EntryTable& table, std::string_view prefix) const {
    // The lines' starts cut to the prefix's length are in order too.
    const auto start = [&table, &prefix](std::uint32_t index) {
        return table.lineView(index).substr(0, prefix.size());
    };
    const auto first = std::partition_point(
        m_sorted.begin(), m_sorted.end(),
        [&](std::uint32_t index) { return CompareFolded(start(index), prefix) < 0; });
    const auto last = std::partition_point(first, m_sorted.end(), [&](std::uint32_t index) {
        return CompareFolded(start(index), prefix) == 0;
    });
    return {static_cast<std::uint32_t>(first - m_sorted.begin()),
            static_cast<std::uint32_t>(last - m_sorted.begin())};
}

void ResultOrder::arrange(std::vector<std::uint32_t>& matches, Method method) const {
    // Many matches: walk the sorted table once. Few: sort them by rank.
    // Sorting n matches costs about n log n comparisons that each read two
    // positions at random; the walk reads the table's order once.
    // Every line matched (an empty box): the order is the answer. Matches
    // are distinct table indices, so as many as there are lines are all.
    if (method == Method::ByCost && matches.size() == m_sorted.size()) {
        matches = m_sorted;
        return;
    }
    if (method == Method::ByCost) {
        method =
            matches.size() * kWalkFraction < m_sorted.size() ? Method::Sorting : Method::Walking;
    }
    if (method == Method::Sorting) {
        std::sort(matches.begin(), matches.end(),
                  [this](std::uint32_t x, std::uint32_t y) { return m_rank[x] < m_rank[y]; });
        return;
    }
    std::vector<std::uint64_t> wanted((m_sorted.size() + 63) / 64);
    for (const std::uint32_t index : matches) {
        wanted[index / 64] |= std::uint64_t{1} << (index % 64);
    }
    // Every line is written and only the wanted ones kept: half the lines
    // or so match here, and a branch on each would be mispredicted as often.
    const std::size_t count = matches.size();
    matches.resize(count + 1);
    std::uint32_t* const out = matches.data();
    std::size_t kept = 0;
    for (const std::uint32_t index : m_sorted) {
        out[kept] = index;
        kept += (wanted[index / 64] >> (index % 64)) & 1;
    }
    matches.resize(kept);
}

}  // namespace pelmio
