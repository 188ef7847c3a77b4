// Loading and searching 100,000 generated lines, each against the
// straightforward implementation.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bench/baseline.h"
#include "bench/bench_data.h"
#include "dict/dictionary_loader.h"
#include "search/keyword_search.h"
#include "search/matcher.h"
#include "search/result_order.h"
#include "tests/support/test_support.h"

namespace pelmio::bench {
namespace {

void LoadBaseline(benchmark::State& state) {
    const BenchData& data = Data();
    std::size_t memory = 0;
    for (auto _ : state) {
        BaselineTable table;
        table.load(data.phraseFile.c_str());
        table.load(data.wordFile.c_str());
        memory = table.memoryUsed();
        benchmark::DoNotOptimize(table.count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.fileBytes));
    state.counters["memory/file"] =
        static_cast<double>(memory) / static_cast<double>(data.fileBytes);
}

void LoadPelmio(benchmark::State& state) {
    const BenchData& data = Data();
    std::size_t memory = 0;
    for (auto _ : state) {
        EntryTable table;
        LoadDictionaryFile(table, data.phraseFile);
        LoadDictionaryFile(table, data.wordFile);
        memory = table.memoryUsed();
        benchmark::DoNotOptimize(table.count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.fileBytes));
    state.counters["memory/file"] =
        static_cast<double>(memory) / static_cast<double>(data.fileBytes);
}

void SortOrder(benchmark::State& state) {
    EntryTable table;
    LoadDictionaryFile(table, Data().phraseFile);
    LoadDictionaryFile(table, Data().wordFile);
    for (auto _ : state) {
        ResultOrder order(table);
        benchmark::DoNotOptimize(order.memoryUsed());
    }
}

struct Keyword {
    const char* name;
    std::string bytes;
};

std::vector<Keyword> Keywords() {
    return {
        {"rare", "zqx"},
        {"rare-japanese", testing::Sjis("鸚鵡")},
        {"word", "water"},
        {"two-words", "ta off"},
        {"japanese", testing::Sjis("離陸")},
        {"worst-a", "a a a a a a a a a a a a a a a a a a a a a a a a a a a a a a a a a"},
    };
}

// The two dictionary files a scan reads, and their size together.
struct Files {
    std::filesystem::path phrase;
    std::filesystem::path word;
    std::size_t bytes = 0;
};

Files GeneratedFiles() {
    return {Data().phraseFile, Data().wordFile, Data().fileBytes};
}

// The dictionary shipped in data/, when the benchmark runs from a checkout.
std::optional<Files> BundledFiles() {
    const std::filesystem::path folder = PELMIO_DATA_DIR;
    Files files{folder / "settei_jyukugo.txt", folder / "settei_tango.txt", 0};
    std::error_code error;
    const auto phraseBytes = std::filesystem::file_size(files.phrase, error);
    const auto wordBytes = error ? 0 : std::filesystem::file_size(files.word, error);
    if (error) {
        return std::nullopt;
    }
    files.bytes = static_cast<std::size_t>(phraseBytes + wordBytes);
    return files;
}

void RegisterScan(const std::string& stem, const std::string& keyword, const Files& files) {
    const std::vector<std::string> tokens = KeywordTokens(keyword);
    benchmark::RegisterBenchmark(
        (stem + "/baseline").c_str(), [tokens, files](benchmark::State& state) {
            BaselineTable table;
            table.load(files.phrase.c_str());
            table.load(files.word.c_str());
            std::vector<std::uint32_t> rows;
            rows.reserve(100'000);
            for (auto _ : state) {
                rows.clear();
                BaselineScan(table.lines(), tokens, rows);
                benchmark::DoNotOptimize(rows.data());
            }
            state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files.bytes));
            state.counters["rows"] = static_cast<double>(rows.size());
        });
    benchmark::RegisterBenchmark(
        (stem + "/pelmio").c_str(), [tokens, files](benchmark::State& state) {
            EntryTable table;
            LoadDictionaryFile(table, files.phrase);
            LoadDictionaryFile(table, files.word);
            const KeywordMatcher matcher(tokens);
            std::vector<std::uint32_t> rows;
            rows.reserve(100'000);
            std::size_t allocations = 0;
            for (auto _ : state) {
                rows.clear();
                const std::size_t before = AllocationCount();
                matcher.findMatches(table, 0, rows);
                allocations = AllocationCount() - before;
                benchmark::DoNotOptimize(rows.data());
            }
            state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files.bytes));
            state.counters["rows"] = static_cast<double>(rows.size());
            state.counters["allocs"] = static_cast<double>(allocations);
        });
}

// The worst case for the matcher: 999 bytes of "a a a ..." (500 tokens)
// against 100,000 lines of 60 a's.
void RegisterWorstCase() {
    const std::string keyword = [] {
        std::string text = "a";
        while (text.size() + 2 <= kMaxKeywordBytes) {
            text += " a";
        }
        return text;
    }();
    const std::vector<std::string> tokens = KeywordTokens(keyword);
    static const testing::TempFolder folder;
    const auto file = folder / "aaaa.txt";
    testing::WriteBytes(file,
                        testing::JoinCrLf(std::vector<std::string>(100'000, std::string(60, 'a'))));
    benchmark::RegisterBenchmark("worst-a-tokens/baseline", [tokens,
                                                             file](benchmark::State& state) {
        BaselineTable table;
        table.load(file.c_str());
        std::vector<std::uint32_t> rows;
        for (auto _ : state) {
            rows.clear();
            BaselineScan(table.lines(), tokens, rows);
        }
        state.counters["rows"] = static_cast<double>(rows.size());
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("worst-a-tokens/pelmio", [tokens, file](benchmark::State& state) {
        EntryTable table;
        LoadDictionaryFile(table, file);
        const KeywordMatcher matcher(tokens);
        std::vector<std::uint32_t> rows;
        for (auto _ : state) {
            rows.clear();
            matcher.findMatches(table, 0, rows);
        }
        state.counters["rows"] = static_cast<double>(rows.size());
    })->Unit(benchmark::kMillisecond);
}

// A whole search as a keystroke makes it, short of the widgets: tokens,
// scan and display order.
void RegisterSearch(const Keyword& keyword) {
    benchmark::RegisterBenchmark(
        (std::string("search+order/") + keyword.name).c_str(),
        [bytes = keyword.bytes](benchmark::State& state) {
            EntryTable table;
            LoadDictionaryFile(table, Data().phraseFile);
            LoadDictionaryFile(table, Data().wordFile);
            const ResultOrder order(table);
            for (auto _ : state) {
                benchmark::DoNotOptimize(SearchEntries(table, order, bytes, 0));
            }
        })
        ->Unit(benchmark::kMicrosecond);
}

}  // namespace
}  // namespace pelmio::bench

void RegisterCoreBenchmarks() {
    using namespace pelmio::bench;
    benchmark::RegisterBenchmark("load/baseline", LoadBaseline)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("load/pelmio", LoadPelmio)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("sort-order", SortOrder)->Unit(benchmark::kMillisecond);
    for (const Keyword& keyword : Keywords()) {
        RegisterScan(std::string("scan/") + keyword.name, keyword.bytes, GeneratedFiles());
    }
    if (const auto bundled = BundledFiles()) {
        RegisterScan("scan/bundled-rare", "zqx", *bundled);
        RegisterScan("scan/bundled-word", "water", *bundled);
    }
    RegisterWorstCase();
    for (const Keyword& keyword : {Keyword{"empty", ""}, Keyword{"word", "water"}}) {
        RegisterSearch(keyword);
    }
}
