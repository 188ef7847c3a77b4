#include "search/token_scan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <type_traits>

#include "base/cp932.h"
#include "search/match_spans.h"
#include "search/x86_vectors.h"

namespace pelmio {

#ifdef PELMIO_HAVE_X86_VECTORS
namespace {

constexpr std::size_t kMaxTokens = 4;
constexpr std::size_t kMaxTokenBytes = 64;

// One token, ready for the scan.
struct TokenPlan {
    std::string_view bytes;
    std::size_t lastOffset = 0;
    __m256i first{};  // the first byte, lower case where folded
    __m256i last{};
    __m256i firstFold{};  // 0x20 where that byte is folded, else 0
    __m256i lastFold{};
    bool mayBeSecond = false;  // its first byte may be a second byte
    bool verify = false;       // bytes between the first and last are compared per hit
};

// What the scan carries for one token from one 64 bytes to the next.
struct TokenCarry {
    std::uint64_t prevStarts = 0;   // the hits of the step before
    std::uint64_t prevMarkers = 0;  // where those hits ended
    bool borrow = false;            // the run to a line end goes on into this step
};

__attribute__((target("avx2"))) TokenPlan MakePlan(std::string_view token, bool ignoreCase) {
    TokenPlan plan;
    plan.bytes = token;
    plan.lastOffset = token.size() - 1;
    // The second byte of a double-byte character is never folded: walk
    // the token's characters to see whether its last byte begins one.
    std::size_t lastChar = 0;
    while (lastChar + 1 < token.size()) {
        lastChar += cp932::CharLength(token, lastChar);
    }
    const bool lastBegins = lastChar == token.size() - 1;
    const bool foldFirst = ignoreCase && IsAsciiLetter(token.front());
    const bool foldLast = ignoreCase && lastBegins && IsAsciiLetter(token.back());
    plan.first = _mm256_set1_epi8(foldFirst ? cp932::FoldAscii(token.front()) : token.front());
    plan.last = _mm256_set1_epi8(foldLast ? cp932::FoldAscii(token.back()) : token.back());
    plan.firstFold = _mm256_set1_epi8(foldFirst ? 0x20 : 0);
    plan.lastFold = _mm256_set1_epi8(foldLast ? 0x20 : 0);
    plan.mayBeSecond = cp932::IsTrailByte(static_cast<unsigned char>(token.front()));
    plan.verify = token.size() > 2;
    return plan;
}

__attribute__((target("avx2"))) inline std::uint64_t Mask64(__m256i low, __m256i high) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
           (static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(high)))
            << 32);
}

// Fold: whether case is ignored, so that a fold may be or-ed in; without
// it the scans save an operation on every load.
template <bool Fold>
__attribute__((target("avx2"))) inline __m256i Equal(const char* at, __m256i fold, __m256i value) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    if constexpr (!Fold) {
        return _mm256_cmpeq_epi8(bytes, value);
    }
    return _mm256_cmpeq_epi8(_mm256_or_si256(bytes, fold), value);
}

// The two 32-byte halves of a step's byte masks.
struct Halves {
    __m256i low;
    __m256i high;
};

// Byte i of the two halves of the 64 bytes at block is all ones where the
// token's first byte is at i and its last at i + lastOffset. Or-ing 0x20
// folds a letter to lower case and makes no other byte equal a lower-case
// letter.
template <bool Fold>
__attribute__((target("avx2"), always_inline)) inline Halves HitHalves(const char* block,
                                                                       const TokenPlan& plan) {
    const __m256i low = Equal<Fold>(block, plan.firstFold, plan.first);
    const __m256i high = Equal<Fold>(block + 32, plan.firstFold, plan.first);
    if (plan.lastOffset == 0) {
        return {low, high};
    }
    const char* end = block + plan.lastOffset;
    return {_mm256_and_si256(low, Equal<Fold>(end, plan.lastFold, plan.last)),
            _mm256_and_si256(high, Equal<Fold>(end + 32, plan.lastFold, plan.last))};
}

// Bit i: the 64 bytes at block hold a hit of the token at i, as far as
// its first and last byte tell.
template <bool Fold>
__attribute__((target("avx2"))) inline std::uint64_t Hits(const char* block,
                                                          const TokenPlan& plan) {
    const Halves halves = HitHalves<Fold>(block, plan);
    return Mask64(halves.low, halves.high);
}

// Nonzero where the 64 bytes at block hold a hit: Hits without its mask,
// for the steps a scan passes over.
template <bool Fold>
__attribute__((target("avx2"), always_inline)) inline __m256i AnyHits(const char* block,
                                                                      const TokenPlan& plan) {
    const Halves halves = HitHalves<Fold>(block, plan);
    return _mm256_or_si256(halves.low, halves.high);
}

// Byte i of the two halves of the 64 bytes at block is all ones where
// byte i is a NUL, a line end.
__attribute__((target("avx2"), always_inline)) inline Halves NulHalves(const char* block) {
    const __m256i zero = _mm256_setzero_si256();
    const auto* at = reinterpret_cast<const __m256i*>(block);
    return {_mm256_cmpeq_epi8(_mm256_loadu_si256(at), zero),
            _mm256_cmpeq_epi8(_mm256_loadu_si256(at + 1), zero)};
}

// Where a scan passing over quiet steps stopped, and the line ends it
// passed.
struct QuietSteps {
    std::size_t stop = 0;
    std::size_t lineEnds = 0;
};

// Line ends counted in bytes: each lane of a counter takes at most four a
// turn, so it is summed into 64 bits before 64 turns.
constexpr std::size_t kTurnsPerSum = 60;

// Adds the line ends of the 64 bytes at block to counts, one per lane.
__attribute__((target("avx2"), always_inline)) inline __m256i AddLineEnds(__m256i counts,
                                                                          const char* block) {
    const Halves ends = NulHalves(block);
    return _mm256_sub_epi8(_mm256_sub_epi8(counts, ends.low), ends.high);
}

__attribute__((target("avx2"), always_inline)) inline std::size_t SumBytes(__m256i counts) {
    const __m256i sums = _mm256_sad_epu8(counts, _mm256_setzero_si256());
    const __m128i pair =
        _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
    return static_cast<std::size_t>(_mm_cvtsi128_si64(pair)) +
           static_cast<std::size_t>(_mm_extract_epi64(pair, 1));
}

// The first step from base on, up to end, that may hold a hit of the
// token, 128 bytes a turn, counting the line ends passed: most steps of a
// rare token hold none, and this loop keeps all it needs in registers.
// Steps up to end must be readable with the token's bytes after them.
template <bool Fold>
__attribute__((target("avx2,sse4.1"))) QuietSteps PassQuietSteps(const char* data, std::size_t base,
                                                                 std::size_t end,
                                                                 const TokenPlan& plan) {
    QuietSteps passed;
    bool found = false;
    while (!found && base + 128 <= end) {
        __m256i counts = _mm256_setzero_si256();
        const std::size_t turnsEnd = std::min(end, base + 128 * kTurnsPerSum);
        for (; base + 128 <= turnsEnd; base += 128) {
            const __m256i early = AnyHits<Fold>(data + base, plan);
            const __m256i hits = _mm256_or_si256(early, AnyHits<Fold>(data + base + 64, plan));
            if (!_mm256_testz_si256(hits, hits)) {
                if (_mm256_testz_si256(early, early)) {
                    counts = AddLineEnds(counts, data + base);
                    base += 64;
                }
                found = true;
                break;
            }
            counts = AddLineEnds(AddLineEnds(counts, data + base), data + base + 64);
        }
        passed.lineEnds += SumBytes(counts);
    }
    for (; !found && base + 64 <= end; base += 64) {
        const __m256i hits = AnyHits<Fold>(data + base, plan);
        if (!_mm256_testz_si256(hits, hits)) {
            break;
        }
        passed.lineEnds += SumBytes(AddLineEnds(_mm256_setzero_si256(), data + base));
    }
    passed.stop = base;
    return passed;
}

// The positions from just after each marker to the next line end, that
// end included. Markers and line ends are the set bits of one long
// number; subtracting twice the markers borrows from each marker's next
// bit up to the first set bit, and the exclusive or keeps what changed.
// The borrow of one step goes on into the next.
inline std::uint64_t ToLineEnd(std::uint64_t markers, std::uint64_t lineEnds, TokenCarry& carry) {
    const std::uint64_t set = lineEnds | markers;
    const std::uint64_t twice = (markers << 1) | (carry.prevMarkers >> 63);
    carry.prevMarkers = markers;
    std::uint64_t rest = 0;
    const bool borrowA = __builtin_sub_overflow(set, twice, &rest);
    const bool borrowB = __builtin_sub_overflow(rest, std::uint64_t{carry.borrow}, &rest);
    carry.borrow = borrowA || borrowB;
    return set ^ rest;
}

// 0x81-0x9F and 0xE0-0xFC. Flipping bit 5 makes them one range, 0xA1 to
// 0xDC, which adding 0xDF moves to the signed bytes -128 to -69.
__attribute__((target("avx2"), always_inline)) inline __m256i LeadBytes(__m256i x) {
    const __m256i moved = _mm256_add_epi8(_mm256_xor_si256(x, _mm256_set1_epi8(0x20)),
                                          _mm256_set1_epi8(static_cast<char>(0xDF)));
    return _mm256_cmpgt_epi8(_mm256_set1_epi8(-68), moved);
}

// Bit i: byte i of the 64 at block is a lead byte.
__attribute__((target("avx2"), always_inline)) inline std::uint64_t LeadMask(const char* block) {
    const auto* at = reinterpret_cast<const __m256i*>(block);
    return Mask64(LeadBytes(_mm256_loadu_si256(at)), LeadBytes(_mm256_loadu_si256(at + 1)));
}

// A run of lead bytes that reaches a step from the steps before it.
struct RunBefore {
    bool carried = false;   // there is one
    bool oddCarry = false;  // the step's first byte stands at an odd distance from its start
};

// The run that reaches the step at base, found by looking back: at the
// 64 bytes before it at once, byte by byte only for a longer run.
__attribute__((target("avx2"))) inline RunBefore RunReaching(std::string_view text,
                                                             std::size_t base) {
    if (base >= 64) {
        const auto run =
            static_cast<std::size_t>(std::countl_one(LeadMask(text.data() + base - 64)));
        if (run < 64) {
            return {run > 0, run % 2 == 1};
        }
    }
    std::size_t runStart = base;
    while (runStart > 0 && cp932::IsLeadByte(static_cast<unsigned char>(text[runStart - 1]))) {
        --runStart;
    }
    return {runStart < base, (base - runStart) % 2 == 1};
}

// What the runs of lead bytes of one step say of its characters. A run
// pairs up from its start: the bytes at an odd distance from it are second
// bytes, and so is the byte just after a run of odd length, whenever it
// can be one (a hit's first byte always can).
struct LeadRuns {
    std::uint64_t afterOddRun = 0;
    std::uint64_t inRun = 0;  // at an odd distance from the run's start
};

// Runs from even and from odd starts are summed apart: adding a run's
// start bit carries through the run, clearing it, to the byte after it.
// The run that comes in from before starts at bit 0, on the parity of its
// real start.
inline LeadRuns FindLeadRuns(std::uint64_t lead, RunBefore before) {
    constexpr std::uint64_t kEvenBits = 0x5555'5555'5555'5555;
    const std::uint64_t carried = before.carried ? 1 : 0;
    const std::uint64_t starts = lead & ~((lead << 1) | carried);
    const std::uint64_t evenStarts = (starts & kEvenBits) | (before.oddCarry ? 0 : carried);
    const std::uint64_t oddStarts = (starts & ~kEvenBits) | (before.oddCarry ? carried : 0);
    const std::uint64_t evenSums = lead + evenStarts;
    const std::uint64_t oddSums = lead + oddStarts;
    // Even start and odd end, or odd start and even end: an odd run.
    return {(evenSums & ~lead & ~kEvenBits) | (oddSums & ~lead & kEvenBits),
            ((lead & ~evenSums) & ~kEvenBits) | ((lead & ~oddSums) & kEvenBits)};
}

// The 64 bytes at block, text from base, and what is known of where their
// characters begin, worked out only when a hit needs it.
class Chunk {
public:
    Chunk(const char* block, std::size_t base, std::string_view text)
        : m_block(block), m_base(base), m_text(text) {}

    // Bytes that follow a lead byte: only there may a hit be the second
    // byte of a character. Any other byte ends one, so a hit after it
    // begins one.
    __attribute__((target("avx2"), always_inline)) std::uint64_t afterLead() {
        if (!m_haveAfterLead) {
            const bool carried =
                m_base > 0 && cp932::IsLeadByte(static_cast<unsigned char>(m_text[m_base - 1]));
            m_lead = LeadMask(m_block);
            m_afterLead = (m_lead << 1) | (carried ? 1 : 0);
            m_haveAfterLead = true;
        }
        return m_afterLead;
    }

    // A hit of this step followed a lead byte.
    void markDoubtful() { m_doubtful = true; }
    bool doubtful() const { return m_doubtful; }

    // Bytes that are the second of a character, among those that may be:
    // just after a run of lead bytes of odd length, or at an odd distance
    // from its start.
    __attribute__((target("avx2"), always_inline)) std::uint64_t secondBytes() {
        if (!m_haveSecondBytes) {
            afterLead();
            const LeadRuns runs = FindLeadRuns(m_lead, RunReaching(m_text, m_base));
            m_secondBytes = runs.afterOddRun | runs.inRun;
            m_haveSecondBytes = true;
        }
        return m_secondBytes;
    }

private:
    const char* m_block;
    std::size_t m_base;
    std::string_view m_text;
    std::uint64_t m_lead = 0;
    std::uint64_t m_afterLead = 0;
    std::uint64_t m_secondBytes = 0;
    bool m_haveAfterLead = false;
    bool m_haveSecondBytes = false;
    bool m_doubtful = false;
};

// Where characters begin, 64 bytes a step. What a run of lead bytes that
// goes on into the next step needs is carried, so no step looks back
// unless it starts somewhere new.
class CharStarts {
public:
    // The bytes of the step at block (text from base) that do not begin a
    // character, among those that may be a second byte.
    __attribute__((target("avx2"), always_inline)) std::uint64_t secondBytes(
        const char* block, std::size_t base, std::string_view text) {
        if (base != m_next) {
            m_before = RunReaching(text, base);
        }
        const std::uint64_t lead = LeadMask(block);
        const LeadRuns runs = FindLeadRuns(lead, m_before);
        m_before.carried = (lead >> 63) != 0;
        m_before.oddCarry = m_before.carried && (runs.inRun >> 63) == 0;
        m_next = base + 64;
        return runs.afterOddRun | runs.inRun;
    }

private:
    std::size_t m_next = 0;  // the step whose run before is known
    RunBefore m_before;
};

// Whether the bytes between a token's first and last are at `at`'s: a
// loop, as tokens are short and a call to memcmp costs more.
inline bool InnerBytesMatch(const char* at, std::string_view token) {
    for (std::size_t k = 1; k + 1 < token.size(); ++k) {
        if (at[k] != token[k]) {
            return false;
        }
    }
    return true;
}

// The hits at base + bit of one token whose bytes all match.
inline std::uint64_t VerifyHits(std::uint64_t hits, std::size_t base, std::string_view text,
                                const TokenPlan& plan, bool ignoreCase) {
    if (plan.verify) {
        for (std::uint64_t bits = hits; bits != 0; bits &= bits - 1) {
            const auto bit = static_cast<unsigned>(std::countr_zero(bits));
            const bool same = ignoreCase ? TokenAt(text, base + bit, plan.bytes, true)
                                         : InnerBytesMatch(text.data() + base + bit, plan.bytes);
            if (!same) {
                hits &= ~(std::uint64_t{1} << bit);
            }
        }
    }
    return hits;
}

// The same, and that begin a character.
__attribute__((target("avx2,popcnt"), always_inline)) inline std::uint64_t CheckHits(
    std::uint64_t hits, Chunk& chunk, std::size_t base, std::string_view text,
    const TokenPlan& plan, bool ignoreCase) {
    if (hits == 0) {
        return 0;
    }
    hits = VerifyHits(hits, base, text, plan, ignoreCase);
    if (!plan.mayBeSecond || hits == 0) {
        return hits;
    }
    const std::uint64_t doubtful = hits & chunk.afterLead();
    if (doubtful == 0) {
        return hits;
    }
    chunk.markDoubtful();
    return hits & ~chunk.secondBytes();
}

// Bit i: byte i of the 64 at block is a NUL.
__attribute__((target("avx2"))) inline std::uint64_t LineEnds(const char* block) {
    const Halves ends = NulHalves(block);
    return Mask64(ends.low, ends.high);
}

// Line ends in text from `from` to `to`, both multiples of 64 within it.
__attribute__((target("avx2,popcnt"))) std::size_t CountLineEnds(std::string_view text,
                                                                 std::size_t from, std::size_t to) {
    std::size_t count = 0;
    for (; from < to; from += 64) {
        count += static_cast<std::size_t>(std::popcount(LineEnds(text.data() + from)));
    }
    return count;
}

// The 64 bytes of the step at base and the token bytes after them; near
// the end, a copy padded with NULs, which no token holds.
inline const char* StepBytes(std::string_view text, std::size_t base, std::size_t longest,
                             char (&padded)[64 + kMaxTokenBytes + 64]) {
    const std::size_t have = text.size() - base;
    if (have >= 64 + longest) {
        return text.data() + base;
    }
    std::memset(padded, 0, sizeof padded);
    std::memcpy(padded, text.data() + base, std::min(have, sizeof padded));
    return padded;
}

// Where a token's hits of this step end, its last byte, with those of
// the step before that end in this one.
inline std::uint64_t HitEnds(std::uint64_t hits, std::size_t lastOffset, TokenCarry& carry) {
    const std::uint64_t ends =
        lastOffset == 0 ? hits : (hits << lastOffset) | (carry.prevStarts >> (64 - lastOffset));
    carry.prevStarts = hits;
    return ends;
}

// Rows written ahead and appended to out a batch at a time. Each is
// written whether or not it is kept: no branch on an outcome near chance.
template <std::size_t Size>
class RowBuffer {
public:
    void put(std::size_t line, bool keep) {
        m_rows[m_count] = static_cast<std::uint32_t>(line);
        m_count += keep ? 1 : 0;
    }
    std::size_t room() const { return Size - m_count; }
    void flushInto(std::vector<std::uint32_t>& out) {
        out.insert(out.end(), m_rows.begin(),
                   m_rows.begin() + static_cast<std::ptrdiff_t>(m_count));
        m_count = 0;
    }

private:
    std::array<std::uint32_t, Size> m_rows;
    std::size_t m_count = 0;
};

// The scan from step `from` on where most steps hold a hit that follows a
// byte of 0x80 or more (letters that match either case, and so the second
// bytes of katakana): whether to look closer is then a branch taken at
// random. Every step works out where its characters begin instead, with
// no branch, and writes a line at its end. carries, linesBefore (the line
// ends before `from`) and lastLine go on from the steps before.
template <std::size_t Count, bool Fold>
__attribute__((target("avx2,popcnt"))) void ScanDense(
    std::string_view text, const std::array<TokenPlan, Count>& plans, bool ignoreCase,
    std::size_t cap, std::vector<std::uint32_t>& out, std::size_t from,
    std::array<TokenCarry, Count> carries, std::size_t linesBefore, std::size_t lastLine) {
    std::size_t longest = 0;
    std::array<std::uint64_t, Count> startMasks{};
    for (std::size_t k = 0; k < Count; ++k) {
        longest = std::max(longest, plans[k].lastOffset + 1);
        startMasks[k] = plans[k].mayBeSecond ? ~std::uint64_t{0} : 0;
    }
    CharStarts charStarts;
    TokenCarry lineCarry;
    RowBuffer<512> buffer;
    alignas(32) char padded[64 + kMaxTokenBytes + 64];
    for (std::size_t base = from; base < text.size(); base += 64) {
        const std::size_t have = text.size() - base;
        const char* const block = StepBytes(text, base, longest, padded);
        const std::uint64_t second = charStarts.secondBytes(block, base, text);
        std::uint64_t hits =
            VerifyHits(Hits<Fold>(block, plans[0]), base, text, plans[0], ignoreCase) &
            ~(second & startMasks[0]);
        const std::uint64_t inText = have < 64 ? (std::uint64_t{1} << have) - 1 : ~std::uint64_t{0};
        const std::uint64_t lineEnds = LineEnds(block) & inText;
        for (std::size_t k = 0; k + 1 < Count; ++k) {
            const std::uint64_t markers = HitEnds(hits, plans[k].lastOffset, carries[k]);
            hits = VerifyHits(
                       Hits<Fold>(block, plans[k + 1]) & ToLineEnd(markers, lineEnds, carries[k]),
                       base, text, plans[k + 1], ignoreCase) &
                   ~(second & startMasks[k + 1]);
        }
        // The ends of the lines with a hit of the last token. A line the
        // steps before wrote already comes once.
        for (std::uint64_t ends = ToLineEnd(hits, lineEnds, lineCarry) & lineEnds; ends != 0;
             ends &= ends - 1) {
            const std::uint64_t below = (ends & (0 - ends)) - 1;
            const std::size_t line =
                linesBefore + static_cast<std::size_t>(std::popcount(lineEnds & below));
            buffer.put(line, line != lastLine);
            lastLine = line;
        }
        linesBefore += static_cast<std::size_t>(std::popcount(lineEnds));
        if (buffer.room() < 64) {
            buffer.flushInto(out);
            if (out.size() >= cap) {
                break;
            }
        }
    }
    buffer.flushInto(out);
    if (out.size() > cap) {
        out.resize(cap);
    }
}

// The scan for Count tokens: made once for each count, so that the
// tokens' masks stay in registers.
template <std::size_t Count, bool Fold>
__attribute__((target("avx2,popcnt"))) void ScanAvx2(std::string_view text,
                                                     const std::array<TokenPlan, Count> plans,
                                                     bool ignoreCase, std::size_t cap,
                                                     std::vector<std::uint32_t>& out) {
    std::array<TokenCarry, Count> carries{};
    std::size_t longest = 0;
    for (const TokenPlan& plan : plans) {
        longest = std::max(longest, plan.lastOffset + 1);
    }
    std::size_t linesBefore = 0;   // line ends before linesCounted
    std::size_t linesCounted = 0;  // counted by the pass over quiet steps, or where a hit needs it
    std::size_t lastLine = static_cast<std::size_t>(-1);
    // Steps of the first kilobyte whose hits needed a closer look.
    constexpr std::size_t kSampleSteps = 16;
    std::size_t doubtfulSteps = 0;
    alignas(32) char padded[64 + kMaxTokenBytes + 64];
    // Steps that may be passed over unread: whole, with the tokens' bytes
    // after them.
    const std::size_t quietEnd = text.size() > longest ? text.size() - longest : 0;
    bool sampled = false;
    for (std::size_t base = 0; base < text.size(); base += 64) {
        // Nothing of an earlier step still open: with no hit of the first
        // token, a step can hold no match.
        bool open = false;
        for (std::size_t k = 0; k + 1 < Count; ++k) {
            open = open || carries[k].prevStarts != 0 || (carries[k].prevMarkers >> 63) != 0 ||
                   carries[k].borrow;
        }
        if (!open) {
            if (linesCounted < base) {
                linesBefore += CountLineEnds(text, linesCounted, base);
            }
            const QuietSteps passed = PassQuietSteps<Fold>(text.data(), base, quietEnd, plans[0]);
            base = passed.stop;
            linesBefore += passed.lineEnds;
            linesCounted = base;
        }
        if (!sampled && base >= kSampleSteps * 64) {
            sampled = true;
            if (4 * doubtfulSteps > kSampleSteps) {
                linesBefore += CountLineEnds(text, linesCounted, base);
                ScanDense<Count, Fold>(text, plans, ignoreCase, cap, out, base, carries,
                                       linesBefore, lastLine);
                return;
            }
        }
        if (base >= text.size()) {
            break;
        }
        const std::size_t have = text.size() - base;
        const char* const block = StepBytes(text, base, longest, padded);
        std::uint64_t hits = Hits<Fold>(block, plans[0]);
        if (hits == 0 && !open) {
            continue;
        }
        Chunk chunk(block, base, text);
        hits = CheckHits(hits, chunk, base, text, plans[0], ignoreCase);
        if (hits == 0 && !open) {
            doubtfulSteps += chunk.doubtful() ? 1 : 0;
            continue;
        }
        const std::uint64_t inText = have < 64 ? (std::uint64_t{1} << have) - 1 : ~std::uint64_t{0};
        const std::uint64_t lineEnds = LineEnds(block) & inText;
        // Each token after the end of one before it in the same line.
        for (std::size_t k = 0; k + 1 < Count; ++k) {
            const std::uint64_t markers = HitEnds(hits, plans[k].lastOffset, carries[k]);
            hits = CheckHits(
                Hits<Fold>(block, plans[k + 1]) & ToLineEnd(markers, lineEnds, carries[k]), chunk,
                base, text, plans[k + 1], ignoreCase);
        }

        doubtfulSteps += chunk.doubtful() ? 1 : 0;
        // One row for each line with a hit of the last token.
        if (hits != 0 && linesCounted < base) {
            linesBefore += CountLineEnds(text, linesCounted, base);
            linesCounted = base;
        }
        while (hits != 0) {
            const auto bit = static_cast<unsigned>(std::countr_zero(hits));
            const std::size_t line =
                linesBefore +
                static_cast<std::size_t>(std::popcount(lineEnds & ((std::uint64_t{1} << bit) - 1)));
            if (line != lastLine) {
                out.push_back(static_cast<std::uint32_t>(line));
                lastLine = line;
                if (out.size() >= cap) {
                    return;
                }
            }
            // Past the hit's line end; when the line goes on into the next
            // step, past them all: ends ^ (ends - 1) is all ones for no end.
            const std::uint64_t ends = lineEnds & (~std::uint64_t{0} << bit);
            hits &= ~(ends ^ (ends - 1));
        }
        if (linesCounted == base) {
            linesBefore += static_cast<std::size_t>(std::popcount(lineEnds));
            linesCounted = base + 64;
        }
    }
}

// Lines of up to 127 bytes are decided from the masks of at most two
// steps; the rest go to the caller's own test. The reach of those masks
// past a line's start: two steps, and a token's last byte after the second.
constexpr std::size_t kMaskedLineReach = 128 + kMaxTokenBytes;

// The masks of a line of Words steps as one number, bit i for byte i.
__extension__ typedef unsigned __int128 Bits128;
template <std::size_t Words>
using LineMask = std::conditional_t<Words == 1, std::uint64_t, Bits128>;

// The second bytes of a line whose lead bytes are lead, as CharStarts
// finds them: the line's start begins a character.
template <std::size_t Words>
inline LineMask<Words> LineSecondBytes(LineMask<Words> lead) {
    const LeadRuns runs = FindLeadRuns(static_cast<std::uint64_t>(lead), RunBefore{});
    LineMask<Words> second = runs.afterOddRun | runs.inRun;
    if constexpr (Words > 1) {
        const bool carried = (static_cast<std::uint64_t>(lead) >> 63) != 0;
        const LeadRuns next = FindLeadRuns(static_cast<std::uint64_t>(lead >> 64),
                                           {carried, carried && (runs.inRun >> 63) == 0});
        second |= LineMask<Words>{next.afterOddRun | next.inRun} << 64;
    }
    return second;
}

// Each token's earliest hit that ends in the line (length bytes at
// line, text from start), after the end of the one before, as bit masks:
// the last token's, and those taken that follow a lead byte and so may be
// second bytes. Hits at notStart are dropped for the tokens whose first
// byte may be a second byte.
template <std::size_t Words>
struct InOrder {
    LineMask<Words> taken = 0;
    LineMask<Words> doubtful = 0;
};

template <std::size_t Words, std::size_t Count, bool Fold>
__attribute__((target("avx2,popcnt"), always_inline)) inline InOrder<Words> TakeInOrder(
    std::string_view text, std::size_t start, std::size_t length,
    const std::array<TokenPlan, Count>& plans, bool ignoreCase, LineMask<Words> lead,
    LineMask<Words> notStart) {
    using Mask = LineMask<Words>;
    const char* const line = text.data() + start;
    InOrder<Words> found;
    Mask from = ~Mask{0};  // where the next token may start
    for (std::size_t k = 0; k < Count; ++k) {
        const std::size_t size = plans[k].lastOffset + 1;
        const Mask wanted = (size <= length ? (Mask{2} << (length - size)) - 1 : Mask{0}) & from &
                            ~(plans[k].mayBeSecond ? notStart : Mask{0});
        Mask hits = VerifyHits(Hits<Fold>(line, plans[k]) & static_cast<std::uint64_t>(wanted),
                               start, text, plans[k], ignoreCase);
        if constexpr (Words > 1) {
            hits |= Mask{VerifyHits(
                        Hits<Fold>(line + 64, plans[k]) & static_cast<std::uint64_t>(wanted >> 64),
                        start + 64, text, plans[k], ignoreCase)}
                    << 64;
        }
        found.taken = hits & (0 - hits);
        found.doubtful |= plans[k].mayBeSecond ? found.taken & (lead << 1) : 0;
        // A token of 64 bytes takes nothing in a shorter line.
        from = ~((size < 64 * Words ? found.taken << size : 0) - 1);
    }
    return found;
}

// Whether the line at start, length bytes long (under 64 * Words), holds
// the tokens in order, each where a character begins and after the end of
// the one before, with no branch while no hit taken follows a lead byte.
// text holds kMaskedLineReach bytes from start.
template <std::size_t Words, std::size_t Count, bool Fold>
__attribute__((target("avx2,popcnt"), always_inline)) inline bool MaskedLineHolds(
    std::string_view text, std::size_t start, std::size_t length,
    const std::array<TokenPlan, Count>& plans, bool ignoreCase) {
    const char* const line = text.data() + start;
    LineMask<Words> lead = LeadMask(line);
    if constexpr (Words > 1) {
        lead |= LineMask<Words>{LeadMask(line + 64)} << 64;
    }
    const auto found =
        TakeInOrder<Words, Count, Fold>(text, start, length, plans, ignoreCase, lead, 0);
    if (found.doubtful == 0) {
        return found.taken != 0;
    }
    // A hit taken may be a second byte: drop the hits that are, as the
    // line's runs of lead bytes say, and take again.
    return TakeInOrder<Words, Count, Fold>(text, start, length, plans, ignoreCase, lead,
                                           LineSecondBytes<Words>(lead))
               .taken != 0;
}

template <std::size_t Count, bool Fold>
__attribute__((target("avx2,popcnt"))) void CheckLinesFor(
    const EntryTable& table, const std::array<TokenPlan, Count>& plans, bool ignoreCase,
    const std::uint64_t* candidates, std::size_t cap, const std::function<bool(std::size_t)>& holds,
    std::vector<std::uint32_t>& out) {
    const std::string_view text = table.text();
    const auto lineCount = static_cast<std::size_t>(table.count());
    RowBuffer<256> buffer;
    for (std::size_t word = 0; word * 64 < lineCount; ++word) {
        // Bits past the last line stand for no line.
        const std::size_t inWord = std::min<std::size_t>(lineCount - word * 64, 64);
        const std::uint64_t lines =
            inWord == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << inWord) - 1;
        for (std::uint64_t bits = candidates[word] & lines; bits != 0; bits &= bits - 1) {
            const std::size_t line = word * 64 + static_cast<std::size_t>(std::countr_zero(bits));
            const std::size_t start = table.lineStart(line);
            const std::size_t length = table.lineEnd(line) - start;
            const bool found =
                text.size() - start < kMaskedLineReach || length >= 128 ? holds(line)
                : length < 64
                    ? MaskedLineHolds<1, Count, Fold>(text, start, length, plans, ignoreCase)
                    : MaskedLineHolds<2, Count, Fold>(text, start, length, plans, ignoreCase);
            buffer.put(line, found);
            if (buffer.room() == 0) {
                buffer.flushInto(out);
                if (out.size() >= cap) {
                    out.resize(cap);
                    return;
                }
            }
        }
    }
    buffer.flushInto(out);
    if (out.size() > cap) {
        out.resize(cap);
    }
}

template <std::size_t Count>
std::array<TokenPlan, Count> MakePlans(const std::vector<std::string>& tokens, bool ignoreCase) {
    std::array<TokenPlan, Count> plans;
    for (std::size_t k = 0; k < Count; ++k) {
        plans[k] = MakePlan(tokens[k], ignoreCase);
    }
    return plans;
}

// Calls run with the tokens' plans for their count (1 to kMaxTokens) and
// whether case is folded, both known at compile time, so that each scan
// is made once for each and its masks stay in registers.
template <class Run>
void WithPlans(const std::vector<std::string>& tokens, bool ignoreCase, Run&& run) {
    const auto withFold = [&](auto plans) {
        if (ignoreCase) {
            run(plans, std::true_type{});
        } else {
            run(plans, std::false_type{});
        }
    };
    switch (tokens.size()) {
        case 1:
            withFold(MakePlans<1>(tokens, ignoreCase));
            break;
        case 2:
            withFold(MakePlans<2>(tokens, ignoreCase));
            break;
        case 3:
            withFold(MakePlans<3>(tokens, ignoreCase));
            break;
        case 4:
            withFold(MakePlans<4>(tokens, ignoreCase));
            break;
        default:
            break;
    }
}

}  // namespace

bool CanScanTokensInOrder(const std::vector<std::string>& tokens) {
    if (tokens.empty() || tokens.size() > kMaxTokens || !detail::HaveAvx2()) {
        return false;
    }
    return std::all_of(tokens.begin(), tokens.end(), [](const std::string& token) {
        return !token.empty() && token.size() <= kMaxTokenBytes &&
               token.find('\0') == std::string::npos;
    });
}

void ScanTokensInOrder(std::string_view text, const std::vector<std::string>& tokens,
                       bool ignoreCase, std::size_t cap, std::vector<std::uint32_t>& out) {
    if (out.size() >= cap) {
        return;
    }
    WithPlans(tokens, ignoreCase, [&](const auto& plans, auto fold) {
        ScanAvx2<std::tuple_size_v<std::decay_t<decltype(plans)>>, decltype(fold)::value>(
            text, plans, ignoreCase, cap, out);
    });
}

void CheckLinesInOrder(const EntryTable& table, const std::vector<std::string>& tokens,
                       bool ignoreCase, const std::uint64_t* candidates, std::size_t cap,
                       const std::function<bool(std::size_t)>& holds,
                       std::vector<std::uint32_t>& out) {
    if (out.size() >= cap) {
        return;
    }
    WithPlans(tokens, ignoreCase, [&](const auto& plans, auto fold) {
        CheckLinesFor<std::tuple_size_v<std::decay_t<decltype(plans)>>, decltype(fold)::value>(
            table, plans, ignoreCase, candidates, cap, holds, out);
    });
}

#else

bool CanScanTokensInOrder(const std::vector<std::string>&) {
    return false;
}

void ScanTokensInOrder(std::string_view, const std::vector<std::string>&, bool, std::size_t,
                       std::vector<std::uint32_t>&) {}

void CheckLinesInOrder(const EntryTable&, const std::vector<std::string>&, bool,
                       const std::uint64_t*, std::size_t, const std::function<bool(std::size_t)>&,
                       std::vector<std::uint32_t>&) {}

#endif

}  // namespace pelmio
