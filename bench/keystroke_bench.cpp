// One keystroke in the real window: text change to list model updated, and
// then to the list view laid out.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>

#include "bench/bench_data.h"
#include "res/dialog_templates.h"
#include "ui/dialog_builder.h"
#include "ui/lookup_dlg.h"

namespace pelmio::bench {
namespace {

void Keystroke(benchmark::State& state, const char* text, bool layOut) {
    LookupEnvironment environment;
    environment.folder = Data().folder.path();
    environment.showMessage = [](QWidget*, const QString&) {};
    environment.speechEngine = QStringLiteral("none");
    CLookupDlg dialog(environment);
    dialog.show();
    QLineEdit* edit = nullptr;
    for (QComboBox* combo : dialog.findChildren<QComboBox*>()) {
        if (combo->property(kControlIdProperty).toInt() == res::kIdKeywordBox) {
            edit = combo->lineEdit();
        }
    }
    for (auto _ : state) {
        state.PauseTiming();
        // Alternate the text so every search has something to change.
        edit->setText(QStringLiteral("zz"));
        dialog.RunSearch();
        QApplication::processEvents();
        edit->setText(QString::fromUtf8(text));
        state.ResumeTiming();
        dialog.RunSearch();
        if (layOut) {
            QApplication::processEvents();
        }
    }
    state.counters["rows"] = dialog.findChild<QListView*>()->model()->rowCount();
}

}  // namespace
}  // namespace pelmio::bench

void RegisterKeystrokeBenchmarks() {
    using pelmio::bench::Keystroke;
    for (const auto& [name, text] :
         {std::pair{"empty", ""}, std::pair{"word", "water"}, std::pair{"rare", "zqx"}}) {
        benchmark::RegisterBenchmark((std::string("keystroke/model/") + name).c_str(),
                                     [text](benchmark::State& s) { Keystroke(s, text, false); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("keystroke/view/") + name).c_str(),
                                     [text](benchmark::State& s) { Keystroke(s, text, true); })
            ->Unit(benchmark::kMillisecond);
    }
}
