// Finding pairs at scale, with 1,000,000 and 10,000,000 entries per field (or the counts given):
// for a common and a rare text, the time from the start of a search to its first screen of
// results (the first 30 matches settled, or all of them when there are fewer) and to the full
// count, on all cores; the memory a search adds against the size of the two list files; and the
// "already collected" check of a taken word; and `quillbook find` on the two list files, from
// reading them to the last line written to a file.
//
//   build/dev/bench/bench_find [entries ...]

#include "BenchTiming.h"
#include "app/FindCommand.h"
#include "search/PairSearch.h"
#include "storage/ListFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int Repeats = 5;
constexpr qsizetype ScreenRows = 30;

// Made-up words of two or three syllables; one entry in twenty carries a letter outside ASCII.
class WordMaker {
public:
    QByteArray phrase(int words) {
        static const char* syllables[] = {"ka", "lo",  "mi", "ne", "ru", "sa", "to", "vi",
                                          "ze", "ing", "er", "an", "po", "di", "fu", "ga"};
        static const char* accented[] = {"caf\xC3\xA9",
                                         "\xC3\xBC"
                                         "ber",
                                         "stra\xC3\x9F"
                                         "e",
                                         "na\xC3\xAFve"};
        QByteArray text;
        for (int w = 0; w < words; ++w) {
            if (w > 0)
                text += ' ';
            for (int s = int(2 + next() % 2); s > 0; --s)
                text += syllables[next() % 16];
        }
        if (next() % 20 == 0)
            text += QByteArray(" ") + accented[next() % 4];
        return text;
    }

private:
    std::uint32_t next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return std::uint32_t(state_ >> 33);
    }
    std::uint64_t state_ = 29;
};

struct Lists {
    quill::EntryList words;
    quill::EntryList meanings;
    // What "Phrase.log" and "Mean.log" would take: the entries and CR LF each.
    double fileBytes() const {
        return double(words.byteSize() + meanings.byteSize() +
                      2 * (words.size() + meanings.size()));
    }
};

Lists makeLists(qsizetype count) {
    WordMaker maker;
    Lists lists;
    for (qsizetype i = 0; i < count; ++i) {
        // The rare word is in three pairs only.
        const bool rare = i == count / 3 || i == 2 * count / 3 || i == count - 10;
        lists.words.append(rare ? QByteArray("Quillwort") : maker.phrase(1 + int(i % 2)));
        lists.meanings.append(maker.phrase(2 + int(i % 4)));
    }
    return lists;
}

struct Timing {
    double firstScreen = 0;
    double fullCount = 0;
    double processor = 0; // of all threads, for the whole search
    qsizetype count = 0;
};

Timing timeSearch(quill::PairSearch& search, const Lists& lists, const QString& text) {
    std::vector<double> first;
    std::vector<double> full;
    std::vector<double> processor;
    qsizetype count = 0;
    for (int i = 0; i < Repeats; ++i) {
        QElapsedTimer timer;
        std::atomic<qint64> screenAt{-1};
        std::atomic<quill::SearchRun*> running{nullptr};
        const double processorStart = bench::processMilliseconds();
        timer.start();
        const auto run =
            search.start(lists.words, lists.meanings, text, quill::SearchScope::BothFields, [&] {
                quill::SearchRun* r = running.load();
                if (r && screenAt.load() < 0 && (r->settledCount() >= ScreenRows || r->finished()))
                    screenAt = timer.nsecsElapsed();
            });
        running = run.get();
        run->wait();
        const double total = double(timer.nsecsElapsed()) / 1e6;
        // The first chunk may have settled before the run was known to the callback.
        first.push_back(screenAt.load() < 0 ? total : double(screenAt.load()) / 1e6);
        full.push_back(total);
        processor.push_back(bench::processMilliseconds() - processorStart);
        count = run->settledCount();
    }
    return {bench::median(first), bench::median(full), bench::median(processor), count};
}

void timeCollected(quill::PairSearch& search, const Lists& lists) {
    for (const QString& word : {u"Quillwort"_s, u"absent word"_s}) {
        std::vector<double> times;
        std::vector<double> processor;
        qsizetype found = 0;
        for (int i = 0; i < Repeats; ++i) {
            const double processorStart = bench::processMilliseconds();
            times.push_back(
                bench::milliseconds([&] { found = search.collected(lists.words, word, 3).count; }));
            processor.push_back(bench::processMilliseconds() - processorStart);
        }
        std::printf("  already collected \"%s\" (%lld): %7.1f ms (processor %7.1f ms)\n",
                    qPrintable(word), (long long)found, bench::median(times),
                    bench::median(processor));
    }
}

// The command as a user runs it, its output going to a file.
void timeCommand(const Lists& lists) {
    QTemporaryDir folder;
    quill::writeListFilePair(folder.filePath(u"Phrase.log"_s), lists.words,
                             folder.filePath(u"Mean.log"_s), lists.meanings);
    for (const QString& text : {u"ing"_s, u"quillwort"_s}) {
        const QString output = folder.filePath(u"found.txt"_s);
        std::FILE* out = std::fopen(QFile::encodeName(output).constData(), "w");
        const double processorStart = bench::processMilliseconds();
        int status = -1;
        const double wall = bench::milliseconds([&] {
            status = quill::runFind({u"quillbook"_s, u"find"_s, text, folder.path()}, out);
        });
        const double processor = bench::processMilliseconds() - processorStart;
        std::fclose(out);
        std::printf("  quillbook find \"%s\": status %d, %.0f MB written, %7.1f ms (processor "
                    "%7.1f ms)\n",
                    qPrintable(text), status, double(QFileInfo(output).size()) / 1e6, wall,
                    processor);
    }
}

void run(qsizetype count) {
    const long long emptyKiB = bench::statusKiB("VmRSS:");
    const Lists lists = makeLists(count);
    const long long listsKiB = bench::statusKiB("VmRSS:");
    std::printf("%lld entries per field, list files %.0f MB\n", (long long)count,
                lists.fileBytes() / 1e6);
    quill::PairSearch search;
    for (const QString& text : {u"ing"_s, u"quillwort"_s}) {
        const Timing t = timeSearch(search, lists, text);
        std::printf("  \"%s\": %lld pairs; first screen %7.1f ms, full count %7.1f ms "
                    "(processor %7.1f ms)\n",
                    qPrintable(text), (long long)t.count, t.firstScreen, t.fullCount, t.processor);
    }
    // What a search holds while its results are shown: one bit per pair and the counts.
    const long long beforeKiB = bench::statusKiB("VmRSS:");
    auto held = search.start(lists.words, lists.meanings, u"a"_s, {});
    held->wait();
    std::printf("  memory a search adds: %.4fx the files (lists themselves %.2fx)\n",
                double(bench::statusKiB("VmRSS:") - beforeKiB) * 1024 / lists.fileBytes(),
                double(listsKiB - emptyKiB) * 1024 / lists.fileBytes());
    held.reset();
    timeCollected(search, lists);
    timeCommand(lists);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    std::vector<qsizetype> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoll(argv[i]));
    if (counts.empty())
        counts = {1'000'000, 10'000'000};
    for (const qsizetype count : counts)
        run(count);
    return 0;
}
