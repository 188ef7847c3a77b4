#include "dict/entry_table.h"

#include <algorithm>

namespace pelmio {

std::size_t EntryTable::lineAt(std::size_t offset) const {
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), offset);
    return static_cast<std::size_t>(after - m_starts.begin()) - 1;
}

void EntryTable::clear() {
    m_text.clear();
    m_text.shrink_to_fit();
    m_starts.clear();
    m_starts.shrink_to_fit();
}

bool EntryTable::appendFileContents(std::string_view contents) {
    if (contents.empty()) {
        return true;
    }
    // Reserve exactly what this file can need, so the table never holds
    // more than its lines plus one NUL each.
    m_text.reserve(m_text.size() + contents.size() + 1);
    std::size_t lineCount = 0;
    for (const char byte : contents) {
        lineCount += byte == '\n' || byte == '\r';
    }
    m_starts.reserve(std::min(kCapacity, m_starts.size() + lineCount + 1));

    const char* pos = contents.data();
    const char* const end = pos + contents.size();
    while (pos < end) {
        if (full()) {
            return false;
        }
        m_starts.push_back(m_text.size());
        const char* lineEndPos = pos;
        while (lineEndPos < end && *lineEndPos != '\r' && *lineEndPos != '\n') {
            ++lineEndPos;
        }
        // Copy the line without its NUL bytes.
        for (const char* run = pos; run < lineEndPos;) {
            const char* nul = std::find(run, lineEndPos, '\0');
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
    return true;
}

}  // namespace pelmio
