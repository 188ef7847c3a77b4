// Suggestions for a search that lists nothing: the spelling scan against a
// straightforward one, and everything a miss costs, on the generated table
// and on the bundled dictionary.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "base/cp932.h"
#include "bench/bench_data.h"
#include "dict/dictionary_loader.h"
#include "search/keyword_search.h"
#include "search/letter_index.h"
#include "search/suggestions.h"
#include "tests/support/test_support.h"

namespace pelmio::bench {
namespace {

// The textbook table for the same distance, every cell of it, in one
// block kept from call to call.
std::size_t FullDistance(std::string_view a, std::string_view b, std::vector<std::size_t>& cells) {
    const auto fold = [](char byte) { return cp932::FoldAscii(static_cast<unsigned char>(byte)); };
    const std::size_t width = b.size() + 1;
    cells.resize((a.size() + 1) * width);
    const auto at = [&](std::size_t i, std::size_t j) -> std::size_t& {
        return cells[i * width + j];
    };
    for (std::size_t i = 0; i <= a.size(); ++i) {
        for (std::size_t j = 0; j <= b.size(); ++j) {
            if (i == 0 || j == 0) {
                at(i, j) = i + j;
                continue;
            }
            const std::size_t cost = fold(a[i - 1]) == fold(b[j - 1]) ? 0 : 1;
            at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + cost});
            if (i > 1 && j > 1 && fold(a[i - 1]) == fold(b[j - 2]) &&
                fold(a[i - 2]) == fold(b[j - 1])) {
                at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
            }
        }
    }
    return at(a.size(), b.size());
}

// Every headword whose length allows it, measured in full, then sorted.
std::vector<std::uint32_t> StraightforwardNear(const EntryTable& table, std::string_view text) {
    const std::size_t limit = text.size() <= 4 ? 1 : 2;
    std::vector<std::tuple<std::size_t, std::uint32_t>> found;
    std::vector<std::size_t> cells;
    for (std::uint32_t line = 0; line < static_cast<std::uint32_t>(table.count()); ++line) {
        const std::string_view whole = table.lineView(line);
        const std::string_view headword = whole.substr(0, whole.find(','));
        const std::size_t apart = headword.size() > text.size() ? headword.size() - text.size()
                                                                : text.size() - headword.size();
        if (apart <= limit) {
            const std::size_t distance = FullDistance(text, headword, cells);
            if (distance <= limit) {
                found.emplace_back(distance, line);
            }
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::uint32_t> lines;
    for (std::size_t i = 0; i < found.size() && i < kMaxSuggestions; ++i) {
        lines.push_back(std::get<1>(found[i]));
    }
    return lines;
}

EntryTable Loaded(const std::filesystem::path& phrases, const std::filesystem::path& words) {
    EntryTable table;
    LoadDictionaryFile(table, phrases);
    LoadDictionaryFile(table, words);
    table.compact();
    return table;
}

// A headword of the generated table with two letters swapped: a typo.
std::string GeneratedTypo() {
    const std::string& line = Data().lines[54'321];
    std::string typo = line.substr(0, line.find(','));
    std::swap(typo[1], typo[2]);
    return typo;
}

// The spelling scan against the straightforward one.
void RegisterSpelling(const std::string& stem, const std::filesystem::path& phrases,
                      const std::filesystem::path& words, const std::string& typed) {
    benchmark::RegisterBenchmark((stem + "/baseline").c_str(), [=](benchmark::State& state) {
        const EntryTable table = Loaded(phrases, words);
        for (auto _ : state) {
            benchmark::DoNotOptimize(StraightforwardNear(table, typed));
        }
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((stem + "/pelmio").c_str(), [=](benchmark::State& state) {
        const EntryTable table = Loaded(phrases, words);
        const HeadwordIndex index(table);
        for (auto _ : state) {
            benchmark::DoNotOptimize(NearHeadwords(table, index, typed, kMaxSuggestions));
        }
    })->Unit(benchmark::kMicrosecond);
}

void RegisterCase(const std::string& stem, const std::filesystem::path& phrases,
                  const std::filesystem::path& words, const std::string& typed,
                  bool spelling = true) {
    if (spelling) {
        RegisterSpelling(stem, phrases, words, typed);
    }
    // Everything a miss costs: every way tried, each checked by a search.
    benchmark::RegisterBenchmark((stem + "/all-ways").c_str(), [=](benchmark::State& state) {
        const EntryTable table = Loaded(phrases, words);
        const HeadwordIndex index(table);
        const LetterIndex letters(table);
        std::size_t offered = 0;
        for (auto _ : state) {
            offered = SuggestKeywords(table, index, typed, false, [&](std::string_view text) {
                          return ListsAnyLine(table, text, {}, {&letters});
                      }).size();
        }
        state.counters["offered"] = static_cast<double>(offered);
    })->Unit(benchmark::kMicrosecond);
}

}  // namespace
}  // namespace pelmio::bench

void RegisterSuggestionBenchmarks() {
    using namespace pelmio;
    using namespace pelmio::bench;
    // Built once per dictionary, on the second thread with the letter index.
    benchmark::RegisterBenchmark("suggest/index-build", [](benchmark::State& state) {
        const EntryTable table = Loaded(Data().phraseFile, Data().wordFile);
        std::size_t memory = 0;
        for (auto _ : state) {
            memory = HeadwordIndex(table).memoryUsed();
        }
        state.counters["bytes/line"] =
            static_cast<double>(memory) / static_cast<double>(table.count());
    })->Unit(benchmark::kMicrosecond);
    RegisterCase("suggest/generated-typo", Data().phraseFile, Data().wordFile, GeneratedTypo());
    const std::filesystem::path bundled = PELMIO_DATA_DIR;
    const auto phrases = bundled / "settei_jyukugo.txt";
    const auto words = bundled / "settei_tango.txt";
    if (!std::filesystem::exists(words)) {
        return;
    }
    for (const char* typed : {"recieve", "definately", "gave up", "xqzv"}) {
        RegisterCase(std::string("suggest/bundled-") + typed, phrases, words, typed);
    }
    // Full-width text goes to the spelling scan as ASCII; its own figure is
    // the whole miss.
    RegisterCase("suggest/bundled-fullwidth", phrases, words, testing::Sjis("ｔａｋｅ　ｏｆｆ"),
                 false);
}
