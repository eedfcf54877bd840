// Finding pairs at scale, with 1,000,000 and 10,000,000 entries per field (or the counts given),
// for a common and a rare text:
// - the search alone: from its start to its first screen of results (the first 30 matches
//   settled, or all of them when there are fewer) and to the full count, on all cores;
// - the find bar of the real window (offscreen): from the last key typed to 30 rows in its list
//   (or the count, when fewer match) and to the full count; the memory the open bar adds
//   against the size of the two list files;
// - the "already collected" check of a taken word;
// - `quillbook find` on the two list files, from reading them to the last line written.
//
//   build/dev/bench/bench_find [entries ...]

#include "AnsweringDialogs.h"
#include "BenchTiming.h"
#include "app/FindCommand.h"
#include "app/ProductionServices.h"
#include "fields/FieldCombo.h"
#include "search/PairSearch.h"
#include "storage/ListFile.h"
#include "window/TForm1.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <malloc.h>

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

// Bytes the program's heap holds.
double heapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd);
}

// Runs the window's events until `done`; the milliseconds of `timer` then.
template <typename Done> double waitFor(const QElapsedTimer& timer, Done done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return double(timer.nsecsElapsed()) / 1e6;
}

void timeWindow(const Lists& lists) {
    QTemporaryDir folder; // no list files: the window starts empty
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    quill::bench::AnsweringDialogs dialogs;
    quill::TForm1 form(quill::productionServices(dialogs));
    form.show();
    form.activateWindow();
    if (!QTest::qWaitForWindowActive(&form))
        std::printf("  (the window did not become active)\n");
    QTest::qWait(50);
    form.ComboBox1->replaceAllEntries(lists.words);
    form.ComboBox2->replaceAllEntries(lists.meanings);
    // The completion index is sorted in the background after a load; measured after it.
    QElapsedTimer indexing;
    indexing.start();
    waitFor(indexing, [&] {
        return form.ComboBox1->completionIndexed() && form.ComboBox2->completionIndexed();
    });
    const double heapBefore = heapBytes();
    QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
    auto* text = form.findChild<QLineEdit*>(u"FindText"_s);
    auto* count = form.findChild<QLabel*>(u"FindCount"_s);
    auto* results = form.findChild<QAbstractItemView*>(u"FindResults"_s);
    const auto counted = [count] {
        return !count->text().endsWith(u'\u2026');
    };
    for (const QString& typed : {u"quillwort"_s, u"ing"_s}) {
        std::vector<double> first;
        std::vector<double> full;
        for (int i = 0; i < Repeats; ++i) {
            text->setText(typed.chopped(1));
            QElapsedTimer timer;
            timer.start();
            waitFor(timer, counted);
            timer.restart();
            QTest::keyClick(text, typed.back().toLatin1());
            first.push_back(waitFor(
                timer, [&] { return results->model()->rowCount() >= ScreenRows || counted(); }));
            full.push_back(waitFor(timer, counted));
        }
        std::printf("  find bar \"%s\" (%s): 30 rows shown %7.1f ms, full count %7.1f ms\n",
                    qPrintable(typed), qPrintable(count->text()), bench::median(first),
                    bench::median(full));
    }
    std::printf("  memory the open bar adds with %lld rows: %.4fx the files\n",
                (long long)results->model()->rowCount(),
                (heapBytes() - heapBefore) / lists.fileBytes());
    QDir::setCurrent(previous);
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
    const double heapBefore = heapBytes();
    auto held = search.start(lists.words, lists.meanings, u"a"_s, {});
    held->wait();
    std::printf("  memory a search adds (%lld pairs found): %.4fx the files (the lists in memory "
                "%.2fx)\n",
                (long long)held->settledCount(), (heapBytes() - heapBefore) / lists.fileBytes(),
                double(listsKiB - emptyKiB) * 1024 / lists.fileBytes());
    held.reset();
    timeWindow(lists);
    timeCollected(search, lists);
    timeCommand(lists);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::vector<qsizetype> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoll(argv[i]));
    if (counts.empty())
        counts = {1'000'000, 10'000'000};
    for (const qsizetype count : counts)
        run(count);
    return 0;
}
