#pragma once

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

    // Every line and its NUL, back to back.
    std::string_view text() const { return {m_text.data(), m_text.size()}; }

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
    std::basic_string<char, std::char_traits<char>, LargeBlockAllocator<char>> m_text;
    // Offsets into m_text, which never reaches 4 GiB (see appendFileContents):
    // half the room of size_t, on every line.
    std::vector<std::uint32_t> m_starts;
};

}  // namespace pelmio
