#include "search/find_bytes.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "search/x86_vectors.h"

namespace pelmio {
namespace {

// Needles longer than this are found by two chosen bytes: a candidate
// costs up to the needle's length to verify.
constexpr std::size_t kShortNeedle = 64;

// By its first byte (memchr, vectorised in any C library that matters),
// then the rest.
const char* FindShort(const char* begin, const char* end, std::string_view needle) {
    const std::size_t n = needle.size();
    const char first = needle.front();
    for (const char* pos = begin; end - pos >= static_cast<std::ptrdiff_t>(n);) {
        pos = static_cast<const char*>(
            std::memchr(pos, first, static_cast<std::size_t>(end - pos) - n + 1));
        if (pos == nullptr) {
            return nullptr;
        }
        if (std::memcmp(pos + 1, needle.data() + 1, n - 1) == 0) {
            return pos;
        }
        ++pos;
    }
    return nullptr;
}

const char* FindLinear(const char* begin, const char* end, std::string_view needle) {
#if defined(__GLIBC__)
    // glibc's memmem uses the two-way algorithm for long needles: linear.
    return static_cast<const char*>(
        ::memmem(begin, static_cast<std::size_t>(end - begin), needle.data(), needle.size()));
#else
    const char* found =
        std::search(begin, end, std::boyer_moore_searcher(needle.begin(), needle.end()));
    return found == end ? nullptr : found;
#endif
}

// Two offsets in a long needle whose bytes are compared first. Where its
// start repeats itself with some period, they are the first byte that
// breaks the repeat and the byte one period before it: text repeating the
// same way never has both, so a needle pasted from such text, or such text
// with a character changed, gives no candidates at all, where the first
// and last bytes may match everywhere.
struct Probe {
    std::size_t first = 0;
    std::size_t second = 0;
};

constexpr std::size_t kMaxProbePeriod = 64;

Probe PickProbe(std::string_view needle) {
    Probe probe{0, needle.size() - 1};
    std::size_t longest = 0;
    for (std::size_t period = 1; period <= std::min(needle.size() - 1, kMaxProbePeriod); ++period) {
        std::size_t at = period;
        while (at < needle.size() && needle[at] == needle[at - period]) {
            ++at;
        }
        if (at < needle.size() && at > longest) {
            longest = at;
            probe = {at - period, at};
        }
    }
    return probe;
}

// The probe of the needle searched for last: a search calls this once a
// line with the same needle, and picking one costs more than a short line.
Probe ProbeFor(std::string_view needle) {
    thread_local std::string last;
    thread_local Probe probe;
    if (needle != last) {
        last.assign(needle);
        probe = PickProbe(needle);
    }
    return probe;
}

// Whether the candidates verified so far cost more than a few passes over
// what was scanned: text that defeats the probe goes to the linear search.
inline bool OverBudget(std::size_t candidates, std::size_t needle, std::size_t scanned) {
    return candidates * needle > 4 * scanned + 64 * 1024;
}

const char* FindLongScalar(const char* begin, const char* end, std::string_view needle,
                           Probe probe) {
    const std::size_t n = needle.size();
    std::size_t candidates = 0;
    for (const char* pos = begin; end - pos >= static_cast<std::ptrdiff_t>(n); ++pos) {
        if (pos[probe.first] == needle[probe.first] && pos[probe.second] == needle[probe.second]) {
            if (std::memcmp(pos, needle.data(), n) == 0) {
                return pos;
            }
            if (OverBudget(++candidates, n, static_cast<std::size_t>(pos - begin))) {
                return FindLinear(pos + 1, end, needle);
            }
        }
    }
    return nullptr;
}

#ifdef PELMIO_HAVE_X86_VECTORS
const char* FindLongSse2(const char* begin, const char* end, std::string_view needle) {
    const std::size_t n = needle.size();
    const Probe probe = ProbeFor(needle);
    const __m128i first = _mm_set1_epi8(needle[probe.first]);
    const __m128i second = _mm_set1_epi8(needle[probe.second]);
    std::size_t candidates = 0;
    const char* pos = begin;
    // A candidate's whole needle must fit before end.
    while (end - pos >= static_cast<std::ptrdiff_t>(n - 1 + 16)) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pos + probe.first));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pos + probe.second));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, second))));
        while (mask != 0) {
            const int bit = __builtin_ctz(mask);
            if (std::memcmp(pos + bit, needle.data(), n) == 0) {
                return pos + bit;
            }
            ++candidates;
            mask &= mask - 1;
        }
        pos += 16;
        if (OverBudget(candidates, n, static_cast<std::size_t>(pos - begin))) {
            return FindLinear(pos, end, needle);
        }
    }
    return FindLongScalar(pos, end, needle, probe);
}
#endif

const char* FindLong(const char* begin, const char* end, std::string_view needle) {
#ifdef PELMIO_HAVE_X86_VECTORS
    return FindLongSse2(begin, end, needle);
#else
    return FindLongScalar(begin, end, needle, ProbeFor(needle));
#endif
}

}  // namespace

const char* FindBytes(const char* begin, const char* end, std::string_view needle) {
    if (needle.empty()) {
        return begin;
    }
    if (end - begin < static_cast<std::ptrdiff_t>(needle.size())) {
        return nullptr;
    }
    return needle.size() <= kShortNeedle ? FindShort(begin, end, needle)
                                         : FindLong(begin, end, needle);
}

}  // namespace pelmio
