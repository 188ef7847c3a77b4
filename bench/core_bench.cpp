// Loading and searching 100,000 generated lines, each against the
// straightforward implementation.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bench/baseline.h"
#include "bench/bench_data.h"
#include "dict/dictionary_loader.h"
#include "lookup/lookup_session.h"
#include "search/keyword_search.h"
#include "search/letter_index.h"
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
    for (auto _ : state) {
        EntryTable table;
        LoadDictionaryFile(table, data.phraseFile);
        LoadDictionaryFile(table, data.wordFile);
        benchmark::DoNotOptimize(table.count());
    }
    // The table's memory with its letter index, which the program builds
    // on a second thread after loading (timed by index-letters).
    EntryTable table;
    LoadDictionaryFile(table, data.phraseFile);
    LoadDictionaryFile(table, data.wordFile);
    table.compact();
    const std::size_t memory = table.memoryUsed() + LetterIndex(table).memoryUsed();
    const std::size_t order = ResultOrder(table).memoryUsed();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.fileBytes));
    state.counters["memory/file"] =
        static_cast<double>(memory) / static_cast<double>(data.fileBytes);
    // With the display order, which the program keeps beside the table.
    state.counters["memory+order/file"] =
        static_cast<double>(memory + order) / static_cast<double>(data.fileBytes);
}

void IndexLetters(benchmark::State& state) {
    EntryTable table;
    LoadDictionaryFile(table, Data().phraseFile);
    LoadDictionaryFile(table, Data().wordFile);
    for (auto _ : state) {
        benchmark::DoNotOptimize(LetterIndex(table).memoryUsed());
    }
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

// The cases every scan figure is given for, all on the same table.
std::vector<Keyword> Keywords() {
    return {
        {"rare", "zqx"},
        {"rare-japanese", testing::Sjis("鸚鵡")},
        {"no-match", "xyzzy"},
        {"word", "water"},
        {"common-a", "a"},
        {"common-e", "e"},
        {"two-tokens", "ta off"},
        {"two-common", "a e"},
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

// Loaded as the program has it; its letter index is built beside it.
EntryTable LoadTable(const Files& files) {
    EntryTable table;
    LoadDictionaryFile(table, files.phrase);
    LoadDictionaryFile(table, files.word);
    table.compact();
    return table;
}

using ScanFunction = void (*)(const EntryTable&, const std::vector<std::string>&,
                              std::vector<std::uint32_t>&);

// One scan of the whole table per iteration, the table in cache.
void RegisterTableScan(const std::string& name, const std::vector<std::string>& tokens,
                       const Files& files, ScanFunction scan) {
    benchmark::RegisterBenchmark(name.c_str(), [tokens, files, scan](benchmark::State& state) {
        const EntryTable table = LoadTable(files);
        std::vector<std::uint32_t> rows;
        rows.reserve(100'000);
        for (auto _ : state) {
            rows.clear();
            scan(table, tokens, rows);
            benchmark::DoNotOptimize(rows.data());
        }
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files.bytes));
        state.counters["rows"] = static_cast<double>(rows.size());
    })->Unit(benchmark::kMicrosecond);
}

// The keywords whose matches the letter index answers in the generated
// and bundled tables.
bool IndexLookup(const std::vector<std::string>& tokens) {
    static const std::vector<std::vector<std::string>> indexed = {
        {"a"}, {"e"}, {"water"}, {"xyzzy"}};
    return std::find(indexed.begin(), indexed.end(), tokens) != indexed.end();
}

void RegisterScan(const std::string& stem, const std::string& keyword, const Files& files) {
    const std::vector<std::string> tokens = KeywordTokens(keyword);
    RegisterTableScan(stem + "/plain", tokens, files, PlainScan);
    RegisterTableScan(stem + "/memmem", tokens, files, MemmemScan);
    RegisterTableScan(stem + "/memmem-whole", tokens, files, WholeTableMemmemScan);
    benchmark::RegisterBenchmark((stem + "/pelmio").c_str(), [tokens,
                                                              files](benchmark::State& state) {
        const EntryTable table = LoadTable(files);
        const LetterIndex letters(table);
        const KeywordMatcher matcher(tokens);
        std::vector<std::uint32_t> rows;
        rows.reserve(100'000);
        std::size_t allocations = 0;
        for (auto _ : state) {
            rows.clear();
            const std::size_t before = AllocationCount();
            matcher.findMatches(table, 0, rows, &letters);
            allocations = AllocationCount() - before;
            benchmark::DoNotOptimize(rows.data());
        }
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files.bytes));
        state.counters["rows"] = static_cast<double>(rows.size());
        state.counters["allocs"] = static_cast<double>(allocations);
        // A single letter, or a token with a byte no line holds, is answered
        // from the table's letter index: no bytes are scanned.
        if (IndexLookup(tokens)) {
            state.SetLabel("index lookup, not a scan");
        }
    })->Unit(benchmark::kMicrosecond);
}

// The memory bandwidth limit for one pass over the table: memchr for a byte
// no line holds, over the same bytes the scans read.
void RegisterLimit(const std::string& name, const Files& files) {
    benchmark::RegisterBenchmark(name.c_str(), [files](benchmark::State& state) {
        const EntryTable table = LoadTable(files);
        const std::string_view text = table.text();
        for (auto _ : state) {
            benchmark::DoNotOptimize(std::memchr(text.data(), '\x01', text.size()));
        }
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files.bytes));
    })->Unit(benchmark::kMicrosecond);
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
        const LetterIndex letters(table);
        const KeywordMatcher matcher(tokens);
        std::vector<std::uint32_t> rows;
        for (auto _ : state) {
            rows.clear();
            matcher.findMatches(table, 0, rows, &letters);
        }
        state.counters["rows"] = static_cast<double>(rows.size());
    })->Unit(benchmark::kMillisecond);
}

// A whole search as a keystroke makes it, short of the widgets: tokens,
// scan and display order, with the lookup options given.
void RegisterSearch(const std::string& prefix, const Keyword& keyword,
                    const SearchOptions& options = {}) {
    benchmark::RegisterBenchmark((prefix + keyword.name).c_str(), [bytes = keyword.bytes, options](
                                                                      benchmark::State& state) {
        const EntryTable table = LoadTable(GeneratedFiles());
        const ResultOrder order(table);
        const LetterIndex letters(table);
        const EntryTable withoutCodes = WithoutPronunciation(table);
        const LetterIndex withoutCodesLetters(withoutCodes);
        std::size_t rows = 0;
        for (auto _ : state) {
            rows = SearchEntries(table, order, bytes, 0, options,
                                 {&letters, &withoutCodes, &withoutCodesLetters})
                       .rows.size();
        }
        state.counters["rows"] = static_cast<double>(rows);
    })->Unit(benchmark::kMicrosecond);
}

// A keystroke as the session sees it: the text before it was searched,
// then the text after it is.
void TimeKeystroke(benchmark::State& state, const std::filesystem::path& folder,
                   const Typing& typing) {
    LookupSession session(folder);
    session.reload();
    std::size_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        benchmark::DoNotOptimize(session.search("zz"));
        benchmark::DoNotOptimize(session.search(typing.before));
        state.ResumeTiming();
        rows = session.search(typing.after).size();
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void RegisterSessionKeystroke(const Typing& typing) {
    benchmark::RegisterBenchmark(
        (std::string("session/") + typing.name).c_str(),
        [typing](benchmark::State& state) { TimeKeystroke(state, Data().folder.path(), typing); })
        ->Unit(benchmark::kMicrosecond);
}

// Keystrokes into a session whose dictionary is at the size cap: 240 MB of
// lines of repeated 意味, where a pasted run of them followed by z
// matches at every character and fails only at its end.
void RegisterPasteAtCap() {
    static const testing::TempFolder folder;
    const std::string imi = "\x88\xd3\x96\xa1";  // 意味
    std::string line;
    for (int i = 0; i < 600; ++i) {
        line += imi;
    }
    std::string paste;
    for (int i = 0; i < 20; ++i) {
        paste += imi;
    }
    const std::vector<Typing> typings = {
        {"plain-word", "", "water"},
        {"paste-imi20-z", "", paste + "z"},
        {"imi20-then-z", paste, paste + "z"},
        {"paste-imi20", "", paste},
        {"paste-imi10-z-imi10", "", paste.substr(0, 40) + "z" + paste.substr(40)},
        // Within the short-token scan: first and last bytes match at
        // every character.
        {"paste-imi14-mi", "", paste.substr(0, 56) + imi.substr(2)},
        {"paste-imi14-mi-imi", "", paste.substr(0, 56) + imi.substr(2) + imi},
    };
    for (const Typing& typing : typings) {
        benchmark::RegisterBenchmark(
            (std::string("paste-at-cap/") + typing.name).c_str(),
            [typing, line](benchmark::State& state) {
                if (!std::filesystem::exists(folder / "settei_tango.txt")) {
                    testing::WriteBytes(folder / "settei_tango.txt",
                                        testing::JoinCrLf(std::vector<std::string>(100'000, line)));
                    testing::WriteBytes(folder / "settei_jyukugo.txt", "");
                }
                TimeKeystroke(state, folder.path(), typing);
            })
            ->Unit(benchmark::kMillisecond)
            // Each round searches the whole cap three times, two of them
            // untimed: a few rounds are enough.
            ->Iterations(5);
    }
}

// Putting a result of `state.range(0)` matches in display order, by one
// method: where sorting and walking cross is where arrange should switch.
// The matches are every k-th line of the table, as a scan finds them.
void RegisterArrange(const char* name, ResultOrder::Method method) {
    benchmark::RegisterBenchmark(
        name,
        [method](benchmark::State& state) {
            const EntryTable table = LoadTable(GeneratedFiles());
            const ResultOrder order(table);
            const auto wanted = static_cast<std::size_t>(state.range(0));
            std::vector<std::uint32_t> matches;
            for (std::size_t i = 0; i < wanted; ++i) {
                matches.push_back(static_cast<std::uint32_t>(i * table.count() / wanted));
            }
            std::vector<std::uint32_t> rows;
            for (auto _ : state) {
                rows = matches;
                order.arrange(rows, method);
                benchmark::DoNotOptimize(rows.data());
            }
            state.counters["lines/match"] =
                static_cast<double>(table.count()) / static_cast<double>(wanted);
        })
        ->RangeMultiplier(2)
        ->Range(1 << 9, 1 << 16)
        ->Unit(benchmark::kMicrosecond);
}

}  // namespace
}  // namespace pelmio::bench

void RegisterCoreBenchmarks() {
    using namespace pelmio::bench;
    benchmark::RegisterBenchmark("load/baseline", LoadBaseline)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("load/pelmio", LoadPelmio)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("index-letters", IndexLetters)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("sort-order", SortOrder)->Unit(benchmark::kMillisecond);
    RegisterArrange("arrange/sorting", pelmio::ResultOrder::Method::Sorting);
    RegisterArrange("arrange/walking", pelmio::ResultOrder::Method::Walking);
    RegisterLimit("scan/limit-memchr", GeneratedFiles());
    for (const Keyword& keyword : Keywords()) {
        RegisterScan(std::string("scan/") + keyword.name, keyword.bytes, GeneratedFiles());
    }
    if (const auto bundled = BundledFiles()) {
        RegisterLimit("bundled/limit-memchr", *bundled);
        RegisterScan("bundled/rare", "zqx", *bundled);
        RegisterScan("bundled/word", "water", *bundled);
        RegisterScan("bundled/common-a", "a", *bundled);
    }
    RegisterWorstCase();
    RegisterPasteAtCap();
    RegisterSearch("search+order/", {"empty", ""});
    for (const Keyword& keyword : Keywords()) {
        // Each lookup option on its own beside the plain search.
        RegisterSearch("search+order/", keyword);
        RegisterSearch("search+order+headword-first/", keyword, {true, false});
        RegisterSearch("search+order+ignore-case/", keyword, {false, true});
        RegisterSearch("search+order+skip-pronunciation/", keyword, {false, false, true});
    }
    for (const Typing& typing : Keystrokes()) {
        RegisterSessionKeystroke(typing);
    }
}
