#include "search/letter_index.h"

#include <algorithm>
#include <bit>

#include "base/cp932.h"
#include "search/match_spans.h"

namespace pelmio {
namespace {

// The ASCII bytes of line that begin a character, as bits 0 .. 127. The
// NUL after the line is no trail byte, so a lead byte at its end stands
// alone, as it does in the line.
void AsciiStarts(const char* line, const char* end, std::uint64_t (&seen)[2]) {
    for (const char* pos = line; pos < end;) {
        const auto byte = static_cast<unsigned char>(*pos);
        if (byte < 0x80) {
            seen[byte >> 6] |= std::uint64_t{1} << (byte & 63);
            ++pos;
        } else {
            pos += cp932::IsLeadByte(byte) && cp932::IsTrailByte(static_cast<unsigned char>(pos[1]))
                       ? 2
                       : 1;
        }
    }
}

}  // namespace

LetterIndex::LetterIndex(const EntryTable& table)
    : m_lines(static_cast<std::size_t>(table.count())), m_built(true) {
    const std::size_t words = this->words();
    m_bits.assign(words * m_slots.size(), 0);
    const char* const text = table.text().data();
    for (std::size_t i = 0; i < m_lines; ++i) {
        std::uint64_t seen[2] = {0, 0};
        AsciiStarts(text + table.lineStart(i), text + table.lineEnd(i), seen);
        const std::uint64_t bit = std::uint64_t{1} << (i % 64);
        std::uint64_t* const word = m_bits.data() + i / 64;
        for (unsigned half = 0; half < 2; ++half) {
            for (std::uint64_t bits = seen[half]; bits != 0; bits &= bits - 1) {
                const unsigned byte = half * 64 + static_cast<unsigned>(std::countr_zero(bits));
                if (byte >= kFirst && byte <= kLast) {
                    word[(byte - kFirst) * words] |= bit;
                }
            }
        }
    }
    keepCommonBytes();
}

// Keeps only the bytes common enough to be worth their room, and both
// cases of a letter where either is: a search that ignores case needs the
// pair. A case found in no line shares one empty run.
void LetterIndex::keepCommonBytes() {
    const std::size_t words = this->words();
    std::array<std::size_t, kLast - kFirst + 1> lines{};
    for (std::size_t k = 0; k < lines.size(); ++k) {
        for (std::size_t word = 0; word < words; ++word) {
            lines[k] += static_cast<std::size_t>(std::popcount(m_bits[k * words + word]));
        }
    }
    const auto common = [&](char byte) {
        const std::size_t count = lines[static_cast<unsigned char>(byte) - kFirst];
        return count != 0 && count * kIndexedShare >= m_lines;
    };
    std::size_t kept = 0;
    bool emptyRun = false;
    for (std::size_t k = 0; k < m_slots.size(); ++k) {
        const auto byte = static_cast<char>(k + kFirst);
        if (!common(byte) && !common(OtherCase(byte))) {
            m_slots[k] = kNoSlot;
        } else if (lines[k] == 0) {
            m_slots[k] = kEmptySlot;
            emptyRun = true;
        } else {
            std::copy_n(m_bits.begin() + static_cast<std::ptrdiff_t>(k * words), words,
                        m_bits.begin() + static_cast<std::ptrdiff_t>(kept * words));
            m_slots[k] = static_cast<std::uint8_t>(kept++);
        }
    }
    if (emptyRun) {
        std::fill_n(m_bits.begin() + static_cast<std::ptrdiff_t>(kept * words), words, 0);
        for (std::uint8_t& slot : m_slots) {
            slot = slot == kEmptySlot ? static_cast<std::uint8_t>(kept) : slot;
        }
        ++kept;
    }
    m_bits.resize(kept * words);
    m_bits.shrink_to_fit();
}

const std::uint64_t* LetterIndex::linesWith(char byte) const {
    const auto value = static_cast<unsigned char>(byte);
    if (!m_built || value < kFirst || value > kLast) {
        return nullptr;
    }
    const std::uint8_t slot = m_slots[value - kFirst];
    return slot == kNoSlot ? nullptr : m_bits.data() + slot * words();
}

LetterCandidates CandidatesFromLetters(const LetterIndex& index,
                                       const std::vector<std::string>& tokens, bool ignoreCase) {
    LetterCandidates candidates;
    std::uint64_t done[2] = {0, 0};  // bytes already applied, as bits 0 .. 127
    const std::size_t words = index.words();
    for (const std::string& token : tokens) {
        for (std::size_t pos = 0; pos < token.size(); pos += cp932::CharLength(token, pos)) {
            const auto value = static_cast<unsigned char>(token[pos]);
            if (value >= 0x80 || ((done[value / 64] >> (value % 64)) & 1) != 0) {
                continue;
            }
            done[value / 64] |= std::uint64_t{1} << (value % 64);
            const std::uint64_t* lines = index.linesWith(token[pos]);
            const std::uint64_t* others =
                ignoreCase ? index.linesWith(OtherCase(token[pos])) : lines;
            if (lines == nullptr || others == nullptr) {
                continue;
            }
            if (candidates.lines.empty()) {
                candidates.lines.assign(words, ~std::uint64_t{0});
            }
            for (std::size_t word = 0; word < words; ++word) {
                candidates.lines[word] &= lines[word] | others[word];
            }
        }
    }
    for (const std::uint64_t word : candidates.lines) {
        candidates.count += static_cast<std::size_t>(std::popcount(word));
    }
    return candidates;
}

}  // namespace pelmio
