// List file speed at field scale: 1,000,000 entries in about 10 MB.
#include "storage/ListFile.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray millionEntryText() {
    QByteArray text;
    text.reserve(10'000'000);
    for (int i = 0; i < 1'000'000; ++i) {
        text += QByteArray::number(i).rightJustified(8, 'w');
        text += "\r\n";
    }
    return text;
}

void splitMillionEntries(benchmark::State& state) {
    const QByteArray text = millionEntryText();
    for (auto _ : state) {
        quill::EntryList entries = quill::splitListText(text);
        benchmark::DoNotOptimize(entries);
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(splitMillionEntries)->Unit(benchmark::kMillisecond);

void textOfMillionEntries(benchmark::State& state) {
    const quill::EntryList entries = quill::splitListText(millionEntryText());
    for (auto _ : state) {
        QByteArray text = quill::listText(entries);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(textOfMillionEntries)->Unit(benchmark::kMillisecond);

// Includes fsync, so the figure depends on the disk under the temporary folder.
void saveAndLoadMillionEntries(benchmark::State& state) {
    const quill::EntryList entries = quill::splitListText(millionEntryText());
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Phrase.log"_s);
    for (auto _ : state) {
        quill::writeListFile(path, entries);
        quill::EntryList loaded = quill::readListFile(path);
        benchmark::DoNotOptimize(loaded);
    }
}
BENCHMARK(saveAndLoadMillionEntries)->Unit(benchmark::kMillisecond);

// 200 MB in lines of 100 bytes: loads whole, memory about twice the file.
void loadTwoHundredMegabytes(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"big.log"_s);
    {
        quill::EntryList entries;
        const QByteArray line(98, 'b');
        for (int i = 0; i < 2'000'000; ++i)
            entries.append(line);
        quill::writeListFile(path, entries);
    }
    for (auto _ : state) {
        quill::EntryList loaded = quill::readListFile(path);
        benchmark::DoNotOptimize(loaded);
    }
    state.SetBytesProcessed(state.iterations() * 200'000'000);
}
BENCHMARK(loadTwoHundredMegabytes)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
