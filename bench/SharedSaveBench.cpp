// Saving the list pair when other writers may share it. For each size: today's plain pair save
// (the reference), a save when nothing changed outside, a save after another program appended
// one pair to both files, and the same when the window took a pair too (merge and write). Memory:
// what holding the lists and the save's memory of them costs above an empty start, and the peak
// of a merging save, against the size of the two files.
//
//   build/dev/bench/bench_shared_save [entries ...] [--folder DIR]   (default 1000000 10000000)

#include "BenchTiming.h"
#include "WordLists.h"
#include "storage/ListFile.h"
#include "storage/ListPairSync.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int Repeats = 5;

void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void appendOutside(const QString& name, const QByteArray& line) {
    QFile file(name);
    file.open(QIODevice::Append);
    file.write(line);
}

// Median of the runs, in milliseconds.
template <typename Step> double medianOfRuns(Step step) {
    std::vector<double> times;
    for (int i = 0; i < Repeats; ++i)
        times.push_back(bench::milliseconds([&] { step(i); }));
    return bench::median(std::move(times));
}

// Medians of two steps run by turns, so both meet the same state of the disk cache.
std::pair<double, double> mediansByTurns(const std::function<void()>& first,
                                         const std::function<void()>& second) {
    std::vector<double> times[2];
    for (int i = 0; i < Repeats; ++i) {
        times[0].push_back(bench::milliseconds(first));
        times[1].push_back(bench::milliseconds(second));
    }
    return {bench::median(std::move(times[0])), bench::median(std::move(times[1]))};
}

void run(qsizetype count) {
    const QString phrase = QString::fromUtf16(quill::PhraseFileName);
    const QString mean = QString::fromUtf16(quill::MeanFileName);
    quill::writeListFilePair(phrase, bench::numberedList("phrase ", count), mean,
                             bench::numberedList("meaning ", count));
    const double files = double(QFileInfo(phrase).size() + QFileInfo(mean).size());

    const qint64 emptyKiB = bench::statusKiB("VmRSS:");
    quill::ListPairSync sync(phrase, mean);
    quill::ListPairSync::Loaded loaded = sync.load();
    quill::ListPair lists{std::move(*loaded.first), std::move(*loaded.second)};
    const double heldRatio = double(bench::statusKiB("VmRSS:") - emptyKiB) * 1024 / files;

    // The plain save writes files of its own beside the pair, so the shared pair stays unchanged.
    const auto [plain, unchanged] = mediansByTurns(
        [&] {
            quill::writeListFilePair(u"Plain"_s + phrase, lists.first, u"Plain"_s + mean,
                                     lists.second);
        },
        [&] { sync.save(lists.view(), {}); });
    resetPeak();
    // Another program appends a pair; with `own`, the window has taken one of its own too.
    const auto saveAfterAppend = [&](const char* writer, bool own) {
        return medianOfRuns([&](int i) {
            const QByteArray name = writer + QByteArray::number(i);
            if (own) {
                lists.first.append("window " + name);
                lists.second.append("mwindow " + name);
            }
            appendOutside(phrase, name + "\r\n");
            appendOutside(mean, "m" + name + "\r\n");
            std::optional<quill::MergedPair> merged = sync.save(lists.view(), {});
            if (merged->appendsToOurs) {
                lists.first.appendRange(merged->lists.first, 0, merged->lists.first.size());
                lists.second.appendRange(merged->lists.second, 0, merged->lists.second.size());
            } else {
                lists = std::move(merged->lists);
            }
        });
    };
    const double appended = saveAfterAppend("outside ", false);
    const double bothAppended = saveAfterAppend("both ", true);
    const double peakRatio = double(bench::statusKiB("VmHWM:") - emptyKiB) * 1024 / files;
    std::printf("%lld entries per list, files %.0f MB\n", (long long)count, files / 1e6);
    std::printf("  plain pair save (today)        %8.1f ms\n", plain);
    std::printf("  save, nothing changed outside  %8.1f ms  (%.3fx)\n", unchanged,
                unchanged / plain);
    std::printf("  save after an outside append   %8.1f ms  (%.3fx)\n", appended, appended / plain);
    std::printf("  ... and a pair the window took %8.1f ms  (%.3fx)\n", bothAppended,
                bothAppended / plain);
    std::printf("  memory above empty start: lists and base %.2fx the files, merge peak %.2fx\n",
                heldRatio, peakRatio);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<qsizetype> counts;
    QString folder;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--folder" && i + 1 < argc)
            folder = QString::fromLocal8Bit(argv[++i]);
        else
            counts.push_back(std::atoll(argv[i]));
    }
    if (counts.empty())
        counts = {1'000'000, 10'000'000};
    QTemporaryDir temporary(folder.isEmpty() ? QDir::tempPath() + u"/bench_shared_save-XXXXXX"_s
                                             : folder + u"/bench_shared_save-XXXXXX"_s);
    QDir::setCurrent(temporary.path());
    for (qsizetype count : counts)
        run(count);
    return 0;
}
