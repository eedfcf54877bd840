// "&Open Notes As...." on hostile plain text files, from the command until the window answers
// again: the pane is shown and painted and a zero timer (what a menu needs to open) has fired.
// The 12 MB line is the longest paragraph the pane takes. Targets: a 1 MB line within 1 s, a 10 MB
// line within 3 s, 100 MB of 5-byte lines within 5 s with peak memory at most ten times the file,
// or refused at once ("Failed to Load Stream"). The counters say whether the load was refused,
// whether the pane shows ink, and the peak memory of the run (the process's high-water mark, reset
// before the command).
//
//   build/dev/bench/bench_notes_open
#include "AnsweringDialogs.h"
#include "app/ProductionServices.h"
#include "window/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

using namespace quill;

bool writeFile(const QString& path, const QByteArray& piece, qint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (qint64 done = 0; done < size; done += piece.size()) {
        if (file.write(piece.left(qsizetype(std::min<qint64>(piece.size(), size - done)))) < 0)
            return false;
    }
    return true;
}

qint64 statusKilobytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

void resetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Pixels of the pane's viewport that are not its background.
qint64 inkedPixels(QTextEdit& pane) {
    const QImage image = pane.viewport()->grab().toImage();
    const QRgb background = image.pixel(0, 0);
    qint64 inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            inked += image.pixel(x, y) != background;
    }
    return inked;
}

void waitForAnswer() {
    QApplication::processEvents();
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
}

void openNotes(benchmark::State& state, QByteArray piece) {
    const qint64 size = state.range(0) * 1024 * 1024;
    if (!piece.endsWith('\n'))
        piece = piece.repeated(100'000); // one line: the piece has no line end
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.txt"));
    if (!writeFile(path, piece, size)) {
        state.SkipWithError("cannot write the notes file");
        return;
    }
    bench::AnsweringDialogs dialogs;
    dialogs.path = path;
    FormServices services = productionServices(dialogs);
    services.dialogs = &dialogs;
    TForm1 form(services);
    form.show();
    waitForAnswer();
    QAction& open = *form.findChild<QAction*>(QStringLiteral("OpenAs1"));
    for (auto _ : state) {
        state.PauseTiming();
        form.RichEdit1->clear();
        waitForAnswer();
        resetPeakMemory();
        const qint64 before = statusKilobytes("VmRSS:");
        state.ResumeTiming();
        open.trigger();
        waitForAnswer();
        state.PauseTiming();
        state.counters["peakMB"] = double(statusKilobytes("VmHWM:") - before) / 1024;
        state.ResumeTiming();
    }
    state.counters["refused"] = dialogs.failures;
    state.counters["shown"] = form.RichEdit1->isVisible();
    state.counters["inked"] = double(inkedPixels(*form.RichEdit1) > 0);
    state.counters["characters"] = double(form.RichEdit1->document()->characterCount());
}

} // namespace

BENCHMARK_CAPTURE(openNotes, oneLine, QByteArray("abcdefghij"))
    ->Arg(1)
    ->Arg(10)
    ->Arg(12)
    ->Arg(200)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openNotes, shortLines, QByteArray("abcd\n"))
    ->Arg(100)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
