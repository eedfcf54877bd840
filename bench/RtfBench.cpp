// Notes files at size: a 10 MB rich text file of 100,000 formatted paragraphs loaded into a
// document and saved again, and a 20 MB plain text file loaded.
#include "rtf/NotesDocument.h"

#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// Paragraphs as word processors write them, about 100 bytes each: alignment, spacing, bold,
// italic, colour, Windows-1252 bytes and a Unicode character.
QByteArray richText() {
    QByteArray text = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}"
                      "{\\f1\\froman Times New Roman;}}{\\colortbl;\\red200\\green0\\blue0;}\n";
    text.reserve(10'500'000);
    for (int i = 0; i < 100'000; ++i) {
        text += "\\pard\\q";
        text += "lcrj"[i / 8 % 4]; // sections of eight paragraphs
        text += "\\sb60\\sa60 {\\b Note ";
        text += QByteArray::number(i);
        text += ":} plain words, {\\i it\\'e9m} and {\\cf1 red \\u8364?} text to read.\\par\n";
    }
    text += '}';
    return text;
}

QByteArray plainText() {
    QByteArray text;
    text.reserve(20'100'000);
    for (int i = 0; text.size() < 20'000'000; ++i) {
        text += "Line ";
        text += QByteArray::number(i);
        text += ": plain notes with caf\xC3\xA9 and \xE2\x82\xAC signs, read as UTF-8 text.\r\n";
    }
    return text;
}

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
