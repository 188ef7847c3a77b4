#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace pelmio::bench {

// 100,000 generated lines, a fifth of them in the phrase file, written once
// per process to a scratch folder.
struct BenchData {
    std::vector<std::string> lines;
    testing::TempFolder folder;
    std::filesystem::path phraseFile;
    std::filesystem::path wordFile;
    std::size_t fileBytes = 0;
};

const BenchData& Data();

// One keystroke: the keyword text before it and after it.
struct Typing {
    const char* name;
    std::string before;
    std::string after;
};

// The keystrokes timed whole, from the worst (a common letter into an empty
// box, its Backspace back to every row, a second common token) to ordinary
// ones.
std::vector<Typing> Keystrokes();

// Heap allocations made so far by this process.
std::size_t AllocationCount();

}  // namespace pelmio::bench
