#pragma once

// The AVX2 paths of the search: compiled where GCC or Clang build for
// x86-64, and taken only where the processor has AVX2 (and POPCNT, which
// every such processor has).
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define PELMIO_HAVE_X86_VECTORS 1

namespace pelmio::detail {

inline bool HaveAvx2() {
    static const bool have = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("popcnt") != 0;
    }();
    return have;
}

}  // namespace pelmio::detail
#endif
