// "&Open List Primary Field As...." on a list file of 1,000,000 entries (10 MB): from the
// dialog's confirmation to the filled primary field (the dialog answers at once).
//
//   build/dev/bench/bench_list_dialogs --benchmark_min_time=2
#include "AnsweringDialogs.h"
#include "app/ProductionServices.h"
#include "fields/FieldCombo.h"
#include "window/TForm1.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace quill;

constexpr int entryCount = 1'000'000;

// Words of 8 letters: 10 bytes a line with CR LF.
QByteArray tenMegabyteList() {
    QByteArray bytes;
    bytes.reserve(qsizetype(entryCount) * 10);
    for (int i = 0; i < entryCount; ++i) {
        char word[] = "aaaaaaaa\r\n";
        for (int j = 0, n = i; j < 8; ++j, n /= 26)
            word[7 - j] = char('a' + n % 26);
        bytes.append(word, 10);
    }
    return bytes;
}

void openListOfMillionEntries(benchmark::State& state) {
    QTemporaryDir folder;
    const QString start = QDir::currentPath();
    bench::AnsweringDialogs dialogs;
    dialogs.path = folder.filePath(QStringLiteral("million.lst"));
    QFile file(dialogs.path);
    if (!file.open(QIODevice::WriteOnly) || file.write(tenMegabyteList()) != entryCount * 10) {
        state.SkipWithError("cannot write the list file");
        return;
    }
    file.close();
    FormServices services = productionServices(dialogs);
    auto form = std::make_unique<TForm1>(services);
    QAction* command = form->findChild<QAction*>(QStringLiteral("OpenList1"));
    for (auto _ : state) {
        command->trigger();
        if (form->ComboBox1->entries().size() != entryCount || dialogs.failures > 0) {
            state.SkipWithError("the list did not reach the field");
            break;
        }
    }
    state.counters["entries"] = double(entryCount);
    form.reset();
    QDir::setCurrent(start);
}

} // namespace

BENCHMARK(openListOfMillionEntries)->Unit(benchmark::kMillisecond);
