// One keystroke in the real window: text change to list model updated, and
// then to the list view laid out.
#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

#include <chrono>
#include <filesystem>

#include "bench/bench_data.h"
#include "res/dialog_templates.h"
#include "settings/options_file.h"
#include "ui/codec.h"
#include "ui/dialog_builder.h"
#include "ui/lookup_dlg.h"

namespace pelmio::bench {
namespace {

// The main window on the benchmark's dictionary, with the lookup options
// given, ready to take keystrokes.
class KeystrokeWindow {
public:
    explicit KeystrokeWindow(const LookupOptions& options) : m_dialog(Environment(options)) {
        std::filesystem::remove(Data().folder / kOptionsFileName);
        m_dialog.show();
        for (QComboBox* combo : m_dialog.findChildren<QComboBox*>()) {
            if (combo->property(kControlIdProperty).toInt() == res::kIdKeywordBox) {
                m_edit = combo->lineEdit();
            }
        }
        for (QAbstractItemView* view : m_dialog.findChildren<QAbstractItemView*>()) {
            if (view->property(kControlIdProperty).toInt() == res::kIdResultList) {
                m_list = view;
            }
        }
    }

    // Seconds from the keystroke's text change to the list model updated
    // (and, with layOut, the list laid out), the window standing as it
    // did before: the text before it searched and its rows painted.
    double type(const Typing& typing, bool layOut) {
        search(QStringLiteral("zz"));
        search(FromCp932(typing.before));
        m_edit->setText(FromCp932(typing.after));
        const auto start = std::chrono::steady_clock::now();
        m_dialog.RunSearch();
        if (layOut) {
            QApplication::processEvents();
        }
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    int rows() const { return m_list->model()->rowCount(); }

private:
    // The window reads its options at start: a file for this run only.
    static LookupEnvironment Environment(const LookupOptions& options) {
        WriteLookupOptions(Data().folder / kOptionsFileName, options);
        LookupEnvironment environment;
        environment.folder = Data().folder.path();
        environment.showMessage = [](QWidget*, const QString&, const QString&) {};
        environment.speechEngine = QStringLiteral("none");
        return environment;
    }

    void search(const QString& text) {
        m_edit->setText(text);
        m_dialog.RunSearch();
        QApplication::processEvents();
    }

    CLookupDlg m_dialog;
    QLineEdit* m_edit = nullptr;
    QAbstractItemView* m_list = nullptr;
};

void Keystroke(benchmark::State& state, const Typing& typing, bool layOut,
               const LookupOptions& options = {}) {
    KeystrokeWindow window(options);
    for (auto _ : state) {
        state.SetIterationTime(window.type(typing, layOut));
    }
    state.counters["rows"] = window.rows();
}

// What an option costs a keystroke: a window without it and one with it
// take the keystroke in turn, so that the machine's drift from moment to
// moment falls on both alike. The time is the option's; "ratio" is its
// total over the plain window's.
void OptionCost(benchmark::State& state, const Typing& typing, const LookupOptions& options) {
    KeystrokeWindow plain(LookupOptions{});
    KeystrokeWindow with(options);
    double plainTotal = 0;
    double optionTotal = 0;
    for (auto _ : state) {
        plainTotal += plain.type(typing, true);
        const double seconds = with.type(typing, true);
        optionTotal += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["ratio"] = plainTotal > 0 ? optionTotal / plainTotal : 0;
    state.counters["rows"] = with.rows();
    state.counters["plain rows"] = plain.rows();
}

}  // namespace
}  // namespace pelmio::bench

void RegisterKeystrokeBenchmarks() {
    using pelmio::bench::Keystroke;
    for (const pelmio::bench::Typing& typing : pelmio::bench::Keystrokes()) {
        benchmark::RegisterBenchmark((std::string("keystroke/model/") + typing.name).c_str(),
                                     [typing](benchmark::State& s) { Keystroke(s, typing, false); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("keystroke/view/") + typing.name).c_str(),
                                     [typing](benchmark::State& s) { Keystroke(s, typing, true); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        // The lookup options, each on its own and both together.
        const std::pair<const char*, pelmio::LookupOptions> variants[] = {
            {"keystroke/view+headword-first/", {true, false}},
            {"keystroke/view+ignore-case/", {false, true}},
            {"keystroke/view+skip-pronunciation/", {false, false, true}},
            {"keystroke/view+options/", {true, true}}};
        for (const auto& [prefix, options] : variants) {
            benchmark::RegisterBenchmark((std::string(prefix) + typing.name).c_str(),
                                         [typing, options = options](benchmark::State& s) {
                                             Keystroke(s, typing, true, options);
                                         })
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
        const std::pair<const char*, pelmio::LookupOptions> costs[] = {
            {"option-cost/headword-first/", {true, false}},
            {"option-cost/ignore-case/", {false, true}},
            {"option-cost/skip-pronunciation/", {false, false, true}}};
        for (const auto& [prefix, options] : costs) {
            benchmark::RegisterBenchmark((std::string(prefix) + typing.name).c_str(),
                                         [typing, options = options](benchmark::State& s) {
                                             pelmio::bench::OptionCost(s, typing, options);
                                         })
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
}
