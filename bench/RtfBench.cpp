// Notes files at size: a 10 MB rich text file of 100,000 formatted paragraphs loaded into a
// document and saved again, and a 20 MB plain text file loaded.
#include "RtfSamples.h"
#include "rtf/NotesDocument.h"

#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using quill::bench::plainText;
using quill::bench::richText;

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

} // namespace
