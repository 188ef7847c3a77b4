// One keystroke in the real window: text change to list model updated, and
// then to the list view laid out.
#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>

#include <filesystem>

#include "bench/bench_data.h"
#include "res/dialog_templates.h"
#include "settings/options_file.h"
#include "ui/codec.h"
#include "ui/dialog_builder.h"
#include "ui/lookup_dlg.h"

namespace pelmio::bench {
namespace {

void Keystroke(benchmark::State& state, const Typing& typing, bool layOut,
               const LookupOptions& options = {}) {
    // The window reads its options at start: a file for this run only.
    const std::filesystem::path optionsFile = Data().folder / kOptionsFileName;
    WriteLookupOptions(optionsFile, options);
    LookupEnvironment environment;
    environment.folder = Data().folder.path();
    environment.showMessage = [](QWidget*, const QString&) {};
    environment.speechEngine = QStringLiteral("none");
    CLookupDlg dialog(environment);
    std::filesystem::remove(optionsFile);
    dialog.show();
    QLineEdit* edit = nullptr;
    for (QComboBox* combo : dialog.findChildren<QComboBox*>()) {
        if (combo->property(kControlIdProperty).toInt() == res::kIdKeywordBox) {
            edit = combo->lineEdit();
        }
    }
    QAbstractItemView* list = nullptr;
    for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>()) {
        if (view->property(kControlIdProperty).toInt() == res::kIdResultList) {
            list = view;
        }
    }
    const QString before = FromCp932(typing.before);
    const QString after = FromCp932(typing.after);
    for (auto _ : state) {
        state.PauseTiming();
        // The window as it stood before the keystroke: the text before it
        // searched and its rows painted.
        edit->setText(QStringLiteral("zz"));
        dialog.RunSearch();
        QApplication::processEvents();
        edit->setText(before);
        dialog.RunSearch();
        QApplication::processEvents();
        edit->setText(after);
        state.ResumeTiming();
        dialog.RunSearch();
        if (layOut) {
            QApplication::processEvents();
        }
    }
    state.counters["rows"] = list->model()->rowCount();
}

}  // namespace
}  // namespace pelmio::bench

void RegisterKeystrokeBenchmarks() {
    using pelmio::bench::Keystroke;
    for (const pelmio::bench::Typing& typing : pelmio::bench::Keystrokes()) {
        benchmark::RegisterBenchmark((std::string("keystroke/model/") + typing.name).c_str(),
                                     [typing](benchmark::State& s) { Keystroke(s, typing, false); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("keystroke/view/") + typing.name).c_str(),
                                     [typing](benchmark::State& s) { Keystroke(s, typing, true); })
            ->Unit(benchmark::kMillisecond);
        // The lookup options, each on its own and both together.
        const std::pair<const char*, pelmio::LookupOptions> variants[] = {
            {"keystroke/view+headword-first/", {true, false}},
            {"keystroke/view+ignore-case/", {false, true}},
            {"keystroke/view+options/", {true, true}}};
        for (const auto& [prefix, options] : variants) {
            benchmark::RegisterBenchmark((std::string(prefix) + typing.name).c_str(),
                                         [typing, options = options](benchmark::State& s) {
                                             Keystroke(s, typing, true, options);
                                         })
                ->Unit(benchmark::kMillisecond);
        }
    }
}
