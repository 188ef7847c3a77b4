#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

    // For a printable ASCII byte (0x21 to 0x7E), the lines that hold it
    // where a character begins: bit i % 64 of word i / 64 for line i, in
    // (count() + 63) / 64 words. Null for any other byte. A one-letter
    // search, the first keystroke of most lookups, needs no scan this way.
    const std::uint64_t* linesWithChar(char byte) const {
        const auto value = static_cast<unsigned char>(byte);
        return value >= kFirstIndexed && value <= kLastIndexed
                   ? m_linesWithChar[value - kFirstIndexed].data()
                   : nullptr;
    }

    // Appends the lines of a file's contents. CR LF, a lone CR and a lone LF
    // each end a line; a last line without a line end counts too; NUL bytes
    // are dropped. Stops at kCapacity lines. Returns false when lines were
    // left out for lack of room.
    bool appendFileContents(std::string_view contents);

    // Bytes held, for measuring.
    std::size_t memoryUsed() const;

private:
    static constexpr unsigned char kFirstIndexed = 0x21;
    static constexpr unsigned char kLastIndexed = 0x7E;

    // Adds lines first .. count() - 1 to m_linesWithChar.
    void indexLines(std::size_t first);

    std::string m_text;
    std::vector<std::size_t> m_starts;
    std::array<std::vector<std::uint64_t>, kLastIndexed - kFirstIndexed + 1> m_linesWithChar;
};

}  // namespace pelmio
