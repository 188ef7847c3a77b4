#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dict/large_block_allocator.h"

namespace pelmio {

// The dictionary lines in load order. All lines live in one block, each
// followed by a NUL, so the search can scan the whole table as one run of
// bytes; a line never contains NUL, CR or LF.
class EntryTable {
public:
    static constexpr std::size_t kCapacity = 100'000;

    // Number of lines; the search and the detail window use 0 .. count - 1.
    std::int32_t count() const { return static_cast<std::int32_t>(m_starts.size()); }
    bool empty() const { return m_starts.empty(); }
    bool full() const { return m_starts.size() >= kCapacity; }

    // Line i as a NUL-terminated string, valid until the table changes.
    const char* line(std::size_t i) const { return m_text.data() + m_starts[i]; }
    std::string_view lineView(std::size_t i) const {
        return {m_text.data() + m_starts[i], lineEnd(i) - m_starts[i]};
    }
    std::size_t lineStart(std::size_t i) const { return m_starts[i]; }
    // Offset of line i's terminating NUL.
    std::size_t lineEnd(std::size_t i) const {
        return (i + 1 < m_starts.size() ? m_starts[i + 1] : m_text.size()) - 1;
    }
    // Index of the line that holds byte offset, which must lie inside a line
    // or on its NUL.
    std::size_t lineAt(std::size_t offset) const;

    // Every line and its NUL, back to back.
    std::string_view text() const { return {m_text.data(), m_text.size()}; }

    // For a printable ASCII byte (0x21 to 0x7E) found in at least one line
    // in kIndexedShare, and for the other case of such a letter, the lines
    // that hold it where a character begins:
    // bit i % 64 of word i / 64 for line i, in (count() + 63) / 64 words. A
    // one-letter search, the first keystroke of most lookups, needs no scan
    // this way. Null for any other byte, whose few lines a scan finds fast,
    // and until indexLetters() has been called since the last lines came in.
    const std::uint64_t* linesWithChar(char byte) const {
        const auto value = static_cast<unsigned char>(byte);
        if (!m_lettersIndexed || value < kFirstIndexed || value > kLastIndexed) {
            return nullptr;
        }
        const std::uint8_t slot = m_charSlots[value - kFirstIndexed];
        return slot == kNoSlot ? nullptr : m_linesWithChar.data() + slot * letterWords();
    }
    static constexpr std::size_t kIndexedShare = 32;
    // Builds what linesWithChar answers from.
    void indexLetters();

    // Gives back the room kept for more lines (appending reserves more
    // than it needs, so that loading is one pass with no copies).
    void compact();

    // Appends the lines of a file's contents. CR LF, a lone CR and a lone LF
    // each end a line; a last line without a line end counts too; NUL bytes
    // are dropped. Stops at kCapacity lines. Returns false when lines were
    // left out for lack of room (kCapacity lines, or 4 GiB of text).
    bool appendFileContents(std::string_view contents);

    // Bytes held, for measuring.
    std::size_t memoryUsed() const;

private:
    static constexpr unsigned char kFirstIndexed = 0x21;
    static constexpr unsigned char kLastIndexed = 0x7E;

    std::size_t letterWords() const { return (m_starts.size() + 63) / 64; }

    std::basic_string<char, std::char_traits<char>, LargeBlockAllocator<char>> m_text;
    // Offsets into m_text, which never reaches 4 GiB (see appendFileContents):
    // half the room of size_t, on every line.
    std::vector<std::uint32_t> m_starts;
    static constexpr std::uint8_t kNoSlot = 0xFF;
    static constexpr std::uint8_t kEmptySlot = 0xFE;  // while indexing only
    // One run of letterWords() words for each indexed byte, in byte order;
    // where each byte's run is, or kNoSlot.
    std::vector<std::uint64_t> m_linesWithChar;
    std::array<std::uint8_t, kLastIndexed - kFirstIndexed + 1> m_charSlots{};
    bool m_lettersIndexed = false;
};

}  // namespace pelmio
