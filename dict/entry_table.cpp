#include "dict/entry_table.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "base/cp932.h"

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
    // The letter index no longer covers every line.
    m_lettersIndexed = false;
    m_linesWithChar.clear();
    return complete;
}

void EntryTable::compact() {
    m_text.shrink_to_fit();
    m_starts.shrink_to_fit();
}

void EntryTable::indexLetters() {
    const std::size_t words = letterWords();
    m_linesWithChar.assign(words * (kLastIndexed - kFirstIndexed + 1), 0);
    const std::size_t count = m_starts.size();
    const char* const text = m_text.data();
    for (std::size_t i = 0; i < count; ++i) {
        // The ASCII bytes that begin a character, as bits 0 .. 127.
        std::uint64_t seen[2] = {0, 0};
        const std::size_t end = lineEnd(i);
        for (std::size_t pos = m_starts[i]; pos < end;) {
            const auto byte = static_cast<unsigned char>(text[pos]);
            if (byte < 0x80) {
                seen[byte >> 6] |= std::uint64_t{1} << (byte & 63);
                ++pos;
            } else {
                // The NUL after the line is no trail byte, so a lead byte
                // at its end stands alone, as it does in the line.
                pos += cp932::IsLeadByte(byte) &&
                               cp932::IsTrailByte(static_cast<unsigned char>(text[pos + 1]))
                           ? 2
                           : 1;
            }
        }
        const std::uint64_t bit = std::uint64_t{1} << (i % 64);
        std::uint64_t* const word = m_linesWithChar.data() + i / 64;
        for (unsigned half = 0; half < 2; ++half) {
            for (std::uint64_t bits = seen[half]; bits != 0; bits &= bits - 1) {
                const unsigned byte = half * 64 + static_cast<unsigned>(std::countr_zero(bits));
                if (byte >= kFirstIndexed && byte <= kLastIndexed) {
                    word[(byte - kFirstIndexed) * words] |= bit;
                }
            }
        }
    }
    // Keep only the bytes common enough to be worth their room, and both
    // cases of a letter where either is: a search that ignores case needs
    // the pair. A case found in no line shares one empty run.
    std::array<std::size_t, kLastIndexed - kFirstIndexed + 1> lines{};
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const auto first = m_linesWithChar.begin() + static_cast<std::ptrdiff_t>(k * words);
        for (auto word = first; word != first + static_cast<std::ptrdiff_t>(words); ++word) {
            lines[k] += static_cast<std::size_t>(std::popcount(*word));
        }
    }
    const auto common = [&](std::size_t k) {
        return lines[k] != 0 && lines[k] * kIndexedShare >= count;
    };
    std::size_t kept = 0;
    bool emptyRun = false;
    for (std::size_t k = 0; k < m_charSlots.size(); ++k) {
        const char byte = static_cast<char>(k + kFirstIndexed);
        const char lower = cp932::FoldAscii(byte);
        const char other = byte != lower ? lower : static_cast<char>(lower - ('a' - 'A'));
        const bool letter = lower >= 'a' && lower <= 'z';
        if (!common(k) && !(letter && common(static_cast<unsigned char>(other) - kFirstIndexed))) {
            m_charSlots[k] = kNoSlot;
            continue;
        }
        if (lines[k] == 0) {
            m_charSlots[k] = kEmptySlot;
            emptyRun = true;
            continue;
        }
        const auto first = m_linesWithChar.begin() + static_cast<std::ptrdiff_t>(k * words);
        std::copy(first, first + static_cast<std::ptrdiff_t>(words),
                  m_linesWithChar.begin() + static_cast<std::ptrdiff_t>(kept * words));
        m_charSlots[k] = static_cast<std::uint8_t>(kept++);
    }
    if (emptyRun) {
        std::fill_n(m_linesWithChar.begin() + static_cast<std::ptrdiff_t>(kept * words), words, 0);
        for (std::uint8_t& slot : m_charSlots) {
            slot = slot == kEmptySlot ? static_cast<std::uint8_t>(kept) : slot;
        }
        ++kept;
    }
    m_linesWithChar.resize(kept * words);
    m_linesWithChar.shrink_to_fit();
    m_lettersIndexed = true;
}

std::size_t EntryTable::memoryUsed() const {
    std::size_t total = m_text.capacity() + m_starts.capacity() * sizeof(std::uint32_t);
    return total + m_linesWithChar.capacity() * sizeof(std::uint64_t);
}

}  // namespace pelmio
