// Notes files at size: a 10 MB rich text file of 100,000 formatted paragraphs loaded into a
// document and saved again, and a 20 MB plain text file loaded. Then the writer and the reader
// on documents of 1,000 to 100,000 small runs of ever other formats, to show how their time
// grows with the document: the processor time per run ("cpu_us/run") stays flat when the time
// grows linearly.
#include "BenchTiming.h"
#include "RtfRunSamples.h"
#include "RtfSamples.h"
#include "rtf/NotesDocument.h"

#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

namespace {

using quill::bench::fillRunDocument;
using quill::bench::plainText;
using quill::bench::richText;
using quill::bench::runRichText;

void loadDocument(benchmark::State& state, const QByteArray& bytes) {
    for (auto _ : state) {
        auto document = std::make_unique<QTextDocument>();
        quill::loadNotes(bytes, *document);
        benchmark::DoNotOptimize(document->blockCount());
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.counters["MB"] = bytes.size() / 1e6;
}

void loadRichText10MB(benchmark::State& state) {
    loadDocument(state, richText());
}
BENCHMARK(loadRichText10MB)->Unit(benchmark::kMillisecond)->MinTime(2);

void saveRichText10MB(benchmark::State& state) {
    QTextDocument document;
    quill::loadNotes(richText(), document);
    for (auto _ : state) {
        QByteArray saved = quill::saveNotes(document);
        benchmark::DoNotOptimize(saved);
        state.counters["MB"] = saved.size() / 1e6;
    }
}
BENCHMARK(saveRichText10MB)->Unit(benchmark::kMillisecond)->MinTime(2);

void loadPlainText20MB(benchmark::State& state) {
    loadDocument(state, plainText());
}
BENCHMARK(loadPlainText20MB)->Unit(benchmark::kMillisecond)->MinTime(2);

// The processor time of one pass over the document, per run: on a machine busy with other work
// the wall time grows with the load as well.
void perRun(benchmark::State& state, double milliseconds) {
    state.SetComplexityN(state.range(0));
    state.counters["cpu_us/run"] = milliseconds * 1e3 / double(state.range(0)) /
                                   double(std::max<qint64>(state.iterations(), 1));
}

// Documents of 1,000, 10,000 and 100,000 runs.
void runCounts(benchmark::internal::Benchmark* runs) {
    runs->RangeMultiplier(10)->Range(1000, 100'000)->Unit(benchmark::kMillisecond)->Complexity();
}

// Reads the bytes into a fresh document at every pass.
void readEachPass(benchmark::State& state, const QByteArray& bytes) {
    double milliseconds = 0;
    for (auto _ : state) {
        auto document = std::make_unique<QTextDocument>();
        const double start = ::bench::processMilliseconds();
        quill::loadNotes(bytes, *document);
        milliseconds += ::bench::processMilliseconds() - start;
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    perRun(state, milliseconds);
}

void writeRuns(benchmark::State& state) {
    QTextDocument document;
    fillRunDocument(document, int(state.range(0)));
    double milliseconds = 0;
    for (auto _ : state) {
        const double start = ::bench::processMilliseconds();
        QByteArray saved = quill::saveNotes(document);
        benchmark::DoNotOptimize(saved);
        milliseconds += ::bench::processMilliseconds() - start;
    }
    perRun(state, milliseconds);
}
BENCHMARK(writeRuns)->Apply(runCounts);

void readRuns(benchmark::State& state) {
    const QByteArray bytes = runRichText(int(state.range(0)));
    readEachPass(state, bytes);
    state.counters["MB"] = bytes.size() / 1e6;
}
BENCHMARK(readRuns)->Apply(runCounts);

// What the writer made of the run document, read back.
void rereadRuns(benchmark::State& state) {
    QTextDocument written;
    fillRunDocument(written, int(state.range(0)));
    readEachPass(state, quill::saveNotes(written));
}
BENCHMARK(rereadRuns)->Apply(runCounts);

} // namespace
