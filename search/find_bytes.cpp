#include "search/find_bytes.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "search/x86_vectors.h"

namespace pelmio {
namespace {

// Needles longer than this go to the linear-time search: the candidate
// filter's verify step costs up to the needle's length per candidate.
constexpr std::size_t kShortNeedle = 64;

const char* FindShortScalar(const char* begin, const char* end, std::string_view needle) {
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

#ifdef PELMIO_HAVE_X86_VECTORS
__attribute__((target("avx2"))) const char* FindShortAvx2(const char* begin, const char* end,
                                                          std::string_view needle) {
    const std::size_t n = needle.size();
    const __m256i first = _mm256_set1_epi8(needle.front());
    const __m256i last = _mm256_set1_epi8(needle.back());
    const char* pos = begin;
    // Both loads of a block must stay inside [begin, end).
    while (end - pos >= static_cast<std::ptrdiff_t>(n - 1 + 32)) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pos));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pos + n - 1));
        auto mask = static_cast<unsigned>(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, last))));
        while (mask != 0) {
            const int bit = __builtin_ctz(mask);
            if (n <= 2 || std::memcmp(pos + bit + 1, needle.data() + 1, n - 2) == 0) {
                return pos + bit;
            }
            mask &= mask - 1;
        }
        pos += 32;
    }
    return FindShortScalar(pos, end, needle);
}

const char* FindShortSse2(const char* begin, const char* end, std::string_view needle) {
    const std::size_t n = needle.size();
    const __m128i first = _mm_set1_epi8(needle.front());
    const __m128i last = _mm_set1_epi8(needle.back());
    const char* pos = begin;
    while (end - pos >= static_cast<std::ptrdiff_t>(n - 1 + 16)) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pos));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pos + n - 1));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        while (mask != 0) {
            const int bit = __builtin_ctz(mask);
            if (n <= 2 || std::memcmp(pos + bit + 1, needle.data() + 1, n - 2) == 0) {
                return pos + bit;
            }
            mask &= mask - 1;
        }
        pos += 16;
    }
    return FindShortScalar(pos, end, needle);
}

using ShortFinder = const char* (*)(const char*, const char*, std::string_view);

ShortFinder PickShortFinder() {
    return detail::HaveAvx2() ? FindShortAvx2 : FindShortSse2;
}
#endif

const char* FindShort(const char* begin, const char* end, std::string_view needle) {
#ifdef PELMIO_HAVE_X86_VECTORS
    static const ShortFinder finder = PickShortFinder();
    return finder(begin, end, needle);
#else
    return FindShortScalar(begin, end, needle);
#endif
}

const char* FindLong(const char* begin, const char* end, std::string_view needle) {
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

}  // namespace

const char* FindBytes(const char* begin, const char* end, std::string_view needle) {
    if (needle.empty()) {
        return begin;
    }
    if (end - begin < static_cast<std::ptrdiff_t>(needle.size())) {
        return nullptr;
    }
    if (needle.size() == 1) {
        return static_cast<const char*>(
            std::memchr(begin, needle.front(), static_cast<std::size_t>(end - begin)));
    }
    return needle.size() <= kShortNeedle ? FindShort(begin, end, needle)
                                         : FindLong(begin, end, needle);
}

}  // namespace pelmio
