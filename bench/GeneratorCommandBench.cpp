// Generation through the real commands: the menu entry runs, the prompt is answered at once, and
// the entries land in the primary field (entry model and combo box included).
#include "AnsweringDialogs.h"
#include "app/ProductionServices.h"
#include "fields/FieldCombo.h"
#include "window/TForm1.h"

#include <QAction>
#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace quill;

void runCommand(benchmark::State& state, const char* action, const QString& count) {
    bench::AnsweringDialogs dialogs;
    dialogs.answer = count;
    FormServices services = productionServices(dialogs);
    for (auto _ : state) {
        state.PauseTiming();
        auto form = std::make_unique<TForm1>(services);
        QAction* command = form->findChild<QAction*>(QLatin1StringView(action));
        state.ResumeTiming();
        command->trigger();
        state.PauseTiming();
        state.counters["entries"] = double(form->ComboBox1->entries().size());
        if (dialogs.failures > 0)
            state.SkipWithError("the command reported a failure");
        form.reset();
        state.ResumeTiming();
    }
}

void eightLetterWordsCommand(benchmark::State& state) {
    runCommand(state, "N8CharacterWords1", QStringLiteral("999999"));
}
BENCHMARK(eightLetterWordsCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

void webAddressCommand(benchmark::State& state) {
    runCommand(state, "WebAddress1", QStringLiteral("99999"));
}
BENCHMARK(webAddressCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
