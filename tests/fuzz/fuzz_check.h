#pragma once

#include <cstdio>
#include <cstdlib>

// A failed invariant in a fuzz target: report it and abort, so both
// libFuzzer and the corpus replay see a crash.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)
