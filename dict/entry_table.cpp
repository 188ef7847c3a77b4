#include "dict/entry_table.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "base/cp932.h"

namespace pelmio {

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
    // Room to grow in: pages are only paid for when first written, and a
    // second file then needs no new block and no copy of the first. The
    // line starts can never be more than the capacity.
    constexpr std::size_t kRoom = std::size_t{16} << 20;
    if (m_text.capacity() < m_text.size() + contents.size() + 1) {
        m_text.reserve(
            std::max(m_text.size() + contents.size() + 1, std::max(2 * m_text.capacity(), kRoom)));
    }
    m_starts.reserve(kCapacity);
    const char* pos = contents.data();
    const char* const end = pos + contents.size();
    NextByte nextCr(end, '\r');
    NextByte nextLf(end, '\n');
    NextByte nextNul(end, '\0');
    bool complete = true;
    while (pos < end) {
        const char* const lineEndPos = std::min(nextCr.at(pos), nextLf.at(pos));
        const auto lineBytes = static_cast<std::size_t>(lineEndPos - pos);
        if (full() || m_text.size() + lineBytes + 1 > std::numeric_limits<std::uint32_t>::max()) {
            complete = false;
            break;
        }
        m_starts.push_back(static_cast<std::uint32_t>(m_text.size()));
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
    return complete;
}

void EntryTable::compact() {
    m_text.shrink_to_fit();
    m_starts.shrink_to_fit();
}

std::size_t EntryTable::memoryUsed() const {
    return m_text.capacity() + m_starts.capacity() * sizeof(std::uint32_t);
}

}  // namespace pelmio
