// Runs every benchmark, then prints each figure as a ratio against its
// baseline, measured in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <string>

#include "bench/bench_data.h"

#ifdef PELMIO_BENCH_UI
#include <QApplication>
#endif

namespace {
std::atomic<std::size_t> g_allocations{0};
}

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace pelmio::bench {

std::size_t AllocationCount() {
    return g_allocations.load(std::memory_order_relaxed);
}

const BenchData& Data() {
    static const BenchData* const data = [] {
        auto* pointer = new BenchData;  // lives until the process ends
        BenchData& made = *pointer;
        made.lines = testing::GenerateDictionaryLines(100'000, 2026);
        const std::vector<std::string> phrases(made.lines.begin(), made.lines.begin() + 20'000);
        const std::vector<std::string> words(made.lines.begin() + 20'000, made.lines.end());
        made.phraseFile = made.folder / "settei_jyukugo.txt";
        made.wordFile = made.folder / "settei_tango.txt";
        const std::string phraseBytes = testing::JoinCrLf(phrases);
        const std::string wordBytes = testing::JoinCrLf(words);
        testing::WriteBytes(made.phraseFile, phraseBytes);
        testing::WriteBytes(made.wordFile, wordBytes);
        made.fileBytes = phraseBytes.size() + wordBytes.size();
        return pointer;
    }();
    return *data;
}

std::vector<Typing> Keystrokes() {
    return {
        {"common-a-from-empty", "", "a"},
        {"backspace-to-empty", "a", ""},
        {"second-token", "a ", "a e"},
        {"second-token-ta-o", "ta ", "ta o"},
        {"word", "wate", "water"},
        {"rare", "zq", "zqx"},
        {"japanese", testing::Sjis("離"), testing::Sjis("離陸")},
    };
}

namespace {

// Collects the time per iteration of every run, and at the end prints
// "<name>: <ratio>x the baseline" for each pair "<name>/baseline" and
// "<name>/pelmio".
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                // In nanoseconds, whatever unit the run prints in.
                m_times[run.benchmark_name()] =
                    run.real_accumulated_time * 1e9 / static_cast<double>(run.iterations);
                if (const auto ratio = run.counters.find("ratio"); ratio != run.counters.end()) {
                    m_optionCosts[run.benchmark_name()] = {ratio->second.value,
                                                           run.counters.at("rows").value,
                                                           run.counters.at("plain rows").value};
                }
            }
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        printScans("scan/");
        printScans("bundled/");
        printOptionCosts();
        std::printf("\nRatios (baseline time / Pelmio time, same process):\n");
        for (const auto& [name, time] : m_times) {
            const std::string suffix = "/baseline";
            if (name.size() <= suffix.size() ||
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
                continue;
            }
            const std::string stem = name.substr(0, name.size() - suffix.size());
            const auto ours = m_times.find(stem + "/pelmio");
            if (ours != m_times.end() && ours->second > 0) {
                std::printf("  %-28s %8.1fx\n", stem.c_str(), time / ours->second);
            }
        }
    }

private:
    double time(const std::string& name) const {
        const auto found = m_times.find(name);
        return found == m_times.end() ? 0.0 : found->second;
    }

    // Every scan of one table as a multiple of one memchr pass over it, and
    // the faster naive scan (plain or memmem) as a multiple of Pelmio's.
    void printScans(const std::string& prefix) const {
        const double limit = time(prefix + "limit-memchr");
        if (limit <= 0) {
            return;
        }
        std::printf("\nScans of the table %s (memchr limit %.1f us, same process):\n",
                    prefix.c_str(), limit / 1000.0);
        std::printf("  %-24s %10s %8s %10s %10s %12s\n", "case", "pelmio us", "x limit", "plain us",
                    "memmem us", "naive/pelmio");
        const std::string suffix = "/pelmio";
        for (const auto& [name, ours] : m_times) {
            if (name.rfind(prefix, 0) != 0 || name.size() <= suffix.size() ||
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
                continue;
            }
            const std::string stem = name.substr(0, name.size() - suffix.size());
            const double plain = time(stem + "/plain");
            const double memmem = time(stem + "/memmem");
            const double naive = plain > 0 && memmem > 0 ? std::min(plain, memmem) : 0;
            std::printf("  %-24s %10.1f %8.2f %10.1f %10.1f %12.1f\n",
                        stem.substr(prefix.size()).c_str(), ours / 1000.0, ours / limit,
                        plain / 1000.0, memmem / 1000.0, ours > 0 ? naive / ours : 0.0);
        }
    }

    // What each lookup option costs a whole keystroke, from two windows
    // taking the keystroke in turn, with the rows each lists: an option that
    // finds more rows has more to order and paint.
    void printOptionCosts() const {
        if (m_optionCosts.empty()) {
            return;
        }
        std::printf("\nLookup options, whole keystroke (with / without, windows in turn):\n");
        std::printf("  %-44s %8s %10s %10s\n", "option/keystroke", "ratio", "rows", "rows off");
        for (const auto& [name, cost] : m_optionCosts) {
            std::printf("  %-44s %8.3f %10.0f %10.0f\n", name.c_str(), cost.ratio, cost.rows,
                        cost.plainRows);
        }
    }

    struct OptionCost {
        double ratio = 0;
        double rows = 0;
        double plainRows = 0;
    };

    std::map<std::string, double> m_times;
    std::map<std::string, OptionCost> m_optionCosts;
};

}  // namespace
}  // namespace pelmio::bench

void RegisterCoreBenchmarks();
void RegisterKeystrokeBenchmarks();
void RegisterHistoryBenchmarks();
void RegisterSuggestionBenchmarks();

int main(int argc, char** argv) {
    // --write-dictionary DIR: write the generated files for outside tools
    // (rg) and stop.
    if (argc == 3 && std::strcmp(argv[1], "--write-dictionary") == 0) {
        const auto& data = pelmio::bench::Data();
        std::filesystem::copy_file(data.phraseFile,
                                   std::filesystem::path(argv[2]) / "settei_jyukugo.txt",
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::copy_file(data.wordFile,
                                   std::filesystem::path(argv[2]) / "settei_tango.txt",
                                   std::filesystem::copy_options::overwrite_existing);
        return 0;
    }
#ifdef PELMIO_BENCH_UI
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    RegisterKeystrokeBenchmarks();
#endif
    RegisterCoreBenchmarks();
    RegisterHistoryBenchmarks();
    RegisterSuggestionBenchmarks();
    benchmark::Initialize(&argc, argv);
    pelmio::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
