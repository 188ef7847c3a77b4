// A history file of 50 MB, years of use: saving a keyword and dropping the
// list down, against the in-place rewrite and the full walk.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/baseline.h"
#include "history/keyword_history.h"
#include "tests/support/test_support.h"

namespace pelmio::bench {
namespace {

std::string FiftyMegabytes() {
    std::string bytes;
    bytes.reserve(50u << 20);
    for (int i = 0; bytes.size() < (50u << 20); ++i) {
        bytes += "keyword number " + std::to_string(i % 5000) + "\r\n";
    }
    return bytes;
}

const testing::TempFolder& Folder() {
    static const testing::TempFolder* const folder = [] {
        auto* made = new testing::TempFolder;
        testing::WriteBytes(*made / "strlist.txt", FiftyMegabytes());
        return made;
    }();
    return *folder;
}

void SaveBaseline(benchmark::State& state) {
    const std::string path = (Folder() / "strlist.txt").string();
    for (auto _ : state) {
        BaselineSaveHistory(path.c_str(), "take off");
    }
}

void SavePelmio(benchmark::State& state) {
    const HistoryFile history(Folder() / "strlist.txt");
    for (auto _ : state) {
        benchmark::DoNotOptimize(history.save("take off"));
    }
}

void LoadBaseline(benchmark::State& state) {
    const std::string path = (Folder() / "strlist.txt").string();
    for (auto _ : state) {
        benchmark::DoNotOptimize(BaselineLoadHistory(path.c_str()));
    }
}

void LoadPelmio(benchmark::State& state) {
    const HistoryFile history(Folder() / "strlist.txt");
    for (auto _ : state) {
        benchmark::DoNotOptimize(history.load());
    }
}

}  // namespace
}  // namespace pelmio::bench

void RegisterHistoryBenchmarks() {
    using namespace pelmio::bench;
    benchmark::RegisterBenchmark("history-50MB-save/baseline", SaveBaseline)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("history-50MB-save/pelmio", SavePelmio)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("history-50MB-dropdown/baseline", LoadBaseline)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("history-50MB-dropdown/pelmio", LoadPelmio)
        ->Unit(benchmark::kMillisecond);
}
