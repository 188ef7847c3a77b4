#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dict/entry_table.h"

namespace pelmio {

// For each printable ASCII byte (0x21 to 0x7E) found in at least one line
// in kIndexedShare, and for the other case of such a letter, the lines
// that hold it where a character begins: bit i % 64 of word i / 64 for
// line i. Built beside a table, by whoever keeps the table, once its lines
// are all in. A filter: it proposes lines and decides none, but for a
// search for one such byte, whose lines it knows exactly.
class LetterIndex {
public:
    static constexpr std::size_t kIndexedShare = 32;

    LetterIndex() = default;
    explicit LetterIndex(const EntryTable& table);

    // Whether it was built from this many lines: an index that misses
    // lines appended since is never used.
    bool covers(const EntryTable& table) const {
        return m_built && m_lines == static_cast<std::size_t>(table.count());
    }

    // The lines that hold byte where a character begins, in words() words;
    // null for a byte not indexed, whose few lines a scan finds fast.
    const std::uint64_t* linesWith(char byte) const;
    std::size_t words() const { return (m_lines + 63) / 64; }

    // Bytes held, for measuring.
    std::size_t memoryUsed() const { return m_bits.capacity() * sizeof(std::uint64_t); }

private:
    static constexpr unsigned char kFirst = 0x21;
    static constexpr unsigned char kLast = 0x7E;
    static constexpr std::uint8_t kNoSlot = 0xFF;
    static constexpr std::uint8_t kEmptySlot = 0xFE;  // while building only

    void keepCommonBytes();

    std::size_t m_lines = 0;
    bool m_built = false;
    // One run of words() words for each indexed byte; where each byte's
    // run is, or kNoSlot.
    std::vector<std::uint64_t> m_bits;
    std::array<std::uint8_t, kLast - kFirst + 1> m_slots{};
};

// The lines that hold every indexed ASCII byte that begins a character of
// a token (either case of a letter with ignoreCase): a superset of the
// matching lines, as a bitmap, and how many. Empty when the index knows
// none of the tokens' bytes.
struct LetterCandidates {
    std::vector<std::uint64_t> lines;
    std::size_t count = 0;
};

LetterCandidates CandidatesFromLetters(const LetterIndex& index,
                                       const std::vector<std::string>& tokens, bool ignoreCase);

}  // namespace pelmio
