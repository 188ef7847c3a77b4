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

// Heap allocations made so far by this process.
std::size_t AllocationCount();

}  // namespace pelmio::bench
