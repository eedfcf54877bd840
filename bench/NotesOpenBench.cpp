// "&Open Notes As...." on large and hostile notes files, with the real progress window.
//
// The time is the command's, from the trigger until the window answers again. The counters:
//   menusMs  the longest the event loop went without a turn, from the trigger until the pane's
//            document is laid out to its end (or the command has refused the file): how long a
//            menu could wait for an answer. Target: below 1000.
//   keyMs    the slowest of a few keys typed into the loaded pane, each with the repaint that
//            follows, at the start of the document (every later paragraph moves) or in the
//            middle of its longest paragraph. Target: below 50. keyCpuMs is the processor time
//            of that key, the same figure on a machine busy with other work.
//   refused  whether the load ended with "Failed to Load Stream".
//   peakMB   the process's memory high-water mark during the command, over its resident size
//            before.
//   blocks, heightPx  the paragraphs and the laid out height of the pane's document.
//
//   build/dev/bench/bench_notes_open
#include "AnsweringDialogs.h"
#include "BenchTiming.h"
#include "RtfSamples.h"
#include "app/ProductionServices.h"
#include "dialogs/QtProgress.h"
#include "rtf/NotesCapacity.h"
#include "window/TForm1.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>

#include <time.h>

namespace {

using namespace quill;

// Confirms every file dialog with one file and shows the real progress window.
class LoadingDialogs : public quill::bench::AnsweringDialogs {
public:
    QWidget* owner = nullptr;
    std::unique_ptr<Progress> startProgress(const QString& caption, qint64 total) override {
        return std::make_unique<QtProgress>(owner, caption, total);
    }
};

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

void waitForAnswer() {
    QApplication::processEvents();
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
}

// The lazy layout goes from the top down: the last paragraph laid out means all of it is.
bool laidOut(const QTextDocument& document) {
    const QTextLayout* last = document.lastBlock().layout();
    return last && last->lineCount() > 0;
}

// Records the longest time between two turns of the event loop, nested loops included.
class TurnGaps {
public:
    TurnGaps() {
        ticker_.setInterval(0);
        QObject::connect(&ticker_, &QTimer::timeout, [this] { turn(); });
        clock_.start();
        ticker_.start();
    }
    void turn() {
        const qint64 now = clock_.nsecsElapsed();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }
    double longestMs() const { return double(longest_) / 1e6; }

private:
    QTimer ticker_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct KeyTimes {
    double wallMs = 0; // the slowest key
    double cpuMs = 0;  // the processor time of that key, which a busy machine does not stretch
};

// The slowest of a few keys typed at `position`, each with the repaint that follows.
KeyTimes slowestKey(QTextEdit& pane, int position) {
    QTextCursor caret(pane.document());
    caret.setPosition(position);
    pane.setTextCursor(caret);
    pane.setFocus();
    waitForAnswer();
    KeyTimes slowest;
    for (int i = 0; i < 5; ++i) {
        const double cpuBefore = threadCpuMs();
        const double wall = ::bench::milliseconds([&] {
            QTest::keyClick(&pane, Qt::Key_X);
            pane.viewport()->repaint();
        });
        if (wall > slowest.wallMs)
            slowest = {wall, threadCpuMs() - cpuBefore};
    }
    return slowest;
}

// Where a key costs most: the document's start, or the middle of its longest paragraph when
// that one is long.
int costliestPosition(const QTextDocument& document) {
    QTextBlock longest = document.begin();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.length() > longest.length())
            longest = block;
    }
    return longest.length() > 10'000 ? longest.position() + longest.length() / 2 : 0;
}

void openNotes(benchmark::State& state, QByteArray (*makeFile)()) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.txt"));
    {
        QFile file(path);
        const QByteArray bytes = makeFile();
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            state.SkipWithError("cannot write the notes file");
            return;
        }
    }
    LoadingDialogs dialogs;
    dialogs.path = path;
    FormServices services = productionServices(dialogs);
    services.dialogs = &dialogs;
    TForm1 form(services);
    dialogs.owner = &form;
    form.show();
    waitForAnswer();
    QAction& open = *form.findChild<QAction*>(QStringLiteral("OpenAs1"));
    QTextEdit& pane = *form.RichEdit1;
    double menusMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        pane.clear();
        dialogs.failures = 0;
        waitForAnswer();
        resetPeakMemory();
        const qint64 before = statusKilobytes("VmRSS:");
        state.ResumeTiming();
        TurnGaps gaps;
        open.trigger();
        waitForAnswer();
        state.PauseTiming();
        state.counters["peakMB"] = double(statusKilobytes("VmHWM:") - before) / 1024;
        QElapsedTimer patience;
        patience.start();
        while (dialogs.failures == 0 && !laidOut(*pane.document()) && patience.elapsed() < 600'000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        gaps.turn();
        menusMs = gaps.longestMs();
        state.ResumeTiming();
    }
    state.counters["menusMs"] = menusMs;
    state.counters["refused"] = dialogs.failures;
    state.counters["blocks"] = pane.document()->blockCount();
    state.counters["heightPx"] = pane.document()->documentLayout()->documentSize().height();
    const KeyTimes key =
        dialogs.failures == 0 ? slowestKey(pane, costliestPosition(*pane.document())) : KeyTimes();
    state.counters["keyMs"] = key.wallMs;
    state.counters["keyCpuMs"] = key.cpuMs;
}

QByteArray lines(QByteArrayView line, qsizetype count) {
    QByteArray text;
    text.reserve(line.size() * count);
    for (qsizetype i = 0; i < count; ++i)
        text += line;
    return text;
}

// One paragraph of words, 10 bytes each, of the given size.
QByteArray words(qint64 bytes) {
    return lines("abcdefghi ", qsizetype(bytes / 10));
}

template <int Megabytes> QByteArray oneLine() {
    return words(qint64(Megabytes) * 1024 * 1024);
}

template <int Count> QByteArray shortLines() {
    return lines("word12345\n", Count);
}

// 800,000 lines of 55 characters: 44 MB.
QByteArray longerLines() {
    return lines("plain notes of fifty-five characters, one line of them\n", 800'000);
}

// 36 MB of rich text in 300,000 paragraphs as word processors write them.
QByteArray richParagraphs() {
    return quill::bench::richText(300'000, 3);
}

// At the pane's limits: the most paragraphs, the longest paragraph, and the longest paragraph
// followed by nearly the most paragraphs (a key there moves all of them).
QByteArray mostParagraphs() {
    return shortLines<NotesCapacity::MostParagraphs - 1>() + "last";
}
QByteArray longestParagraph() {
    return words(NotesCapacity::LongestParagraph);
}
QByteArray longestThenMost() {
    return longestParagraph() + '\n' + shortLines<NotesCapacity::MostParagraphs - 1000>();
}
// Paragraphs of 1,450 characters, 17 lines each at the pane's width: 9,000 of them (13 MB) are
// about what the pane holds of such text, 30,000 (43 MB) are too many.
template <int Count> QByteArray wideParagraphs() {
    return lines(words(1450) + '\n', Count);
}

} // namespace

BENCHMARK_CAPTURE(openNotes, lines800k, &shortLines<800'000>)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openNotes, lines1200k, &shortLines<1'200'000>)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openNotes, lines55chars800k, &longerLines)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openNotes, richText36MB, &richParagraphs)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openNotes, oneLine10MB, &oneLine<10>)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openNotes, oneLine200MB, &oneLine<200>)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openNotes, mostParagraphs, &mostParagraphs)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openNotes, longestParagraph, &longestParagraph)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openNotes, longestThenMost, &longestThenMost)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openNotes, wideParagraphs13MB, &wideParagraphs<9'000>)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openNotes, wideParagraphs43MB, &wideParagraphs<30'000>)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
