#include "dict/entry_table.h"

#include <algorithm>
#include <cstring>

namespace pelmio {

std::size_t EntryTable::lineAt(std::size_t offset) const {
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), offset);
    return static_cast<std::size_t>(after - m_starts.begin()) - 1;
}

namespace {

// The next position of one byte value, found with memchr and remembered
// until the walk passes it, so each byte value costs one vectorised pass.
class NextByte {
public:
    NextByte(const char* end, char value) : m_end(end), m_value(value) {}
    const char* at(const char* pos) {
        if (m_next != nullptr && m_next < pos) {
            m_next = nullptr;
        }
        if (m_next == nullptr) {
            const void* found = std::memchr(pos, m_value, static_cast<std::size_t>(m_end - pos));
            m_next = found != nullptr ? static_cast<const char*>(found) : m_end;
        }
        return m_next;
    }

private:
    const char* m_end;
    char m_value;
    const char* m_next = nullptr;
};

}  // namespace

bool EntryTable::appendFileContents(std::string_view contents) {
    if (contents.empty()) {
        return true;
    }
    if (full()) {
        return false;
    }
    m_text.reserve(m_text.size() + contents.size() + 1);
    const char* pos = contents.data();
    const char* const end = pos + contents.size();
    NextByte nextCr(end, '\r');
    NextByte nextLf(end, '\n');
    NextByte nextNul(end, '\0');
    bool complete = true;
    while (pos < end) {
        if (full()) {
            complete = false;
            break;
        }
        m_starts.push_back(m_text.size());
        const char* const lineEndPos = std::min(nextCr.at(pos), nextLf.at(pos));
        // Copy the line without its NUL bytes.
        for (const char* run = pos; run < lineEndPos;) {
            const char* nul = std::min(nextNul.at(run), lineEndPos);
            m_text.append(run, nul);
            run = nul == lineEndPos ? nul : nul + 1;
        }
        m_text.push_back('\0');
        pos = lineEndPos;
        if (pos < end && *pos == '\r') {
            ++pos;
            if (pos < end && *pos == '\n') {
                ++pos;
            }
        } else if (pos < end) {
            ++pos;
        }
    }
    // Growing may have doubled the block: keep only what the lines need.
    m_text.shrink_to_fit();
    m_starts.shrink_to_fit();
    return complete;
}

}  // namespace pelmio
