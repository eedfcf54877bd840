// The removal history at scale. A save that removes every pair of two lists of 10,000,000
// entries ("&Clear All Fields", then "&Save Fields...": the pairs go to the history first), next
// to a plain save of the same lists; what the process holds before and after that save; and
// `quillbook restore` of 1,000,000 removed pairs into empty lists.
//
//   build/dev/bench/bench_removals [entries [restored pairs]] [--folder DIR]
//
// The history goes to a state folder of the bench's own, never the user's.

#include "BenchTiming.h"
#include "WordLists.h"
#include "app/RemovalCommand.h"
#include "storage/ListFile.h"
#include "storage/ListPairSync.h"
#include "storage/RemovalHistory.h"
#include "storage/RemovalRecorder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int Repeats = 3;

qint64 residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoll(line.substr(6));
    }
    return 0;
}

qint64 folderBytes(const QString& folder) {
    qint64 bytes = 0;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files))
        bytes += file.size();
    return bytes;
}

void clearingSave(qsizetype count, const QString& state) {
    const QString phrase = QString::fromUtf16(quill::PhraseFileName);
    const QString mean = QString::fromUtf16(quill::MeanFileName);
    const quill::ListPair made{bench::numberedList("phrase ", count),
                               bench::numberedList("meaning ", count)};
    quill::writeListFilePair(phrase, made.first, mean, made.second);
    const double files = double(QFileInfo(phrase).size() + QFileInfo(mean).size());
    std::vector<double> plain, removing;
    double loadedRatio = 0, clearedRatio = 0, savedRatio = 0;
    qint64 historyBytes = 0;
    for (int round = 0; round < Repeats; ++round) {
        QDir(state).removeRecursively();
        quill::writeListFilePair(phrase, made.first, mean, made.second);
        const qint64 before = residentKiB();
        quill::ListPairSync sync(phrase, mean);
        quill::ListPairSync::Loaded loaded = sync.load();
        quill::ListPair lists{std::move(*loaded.first), std::move(*loaded.second)};
        const qint64 held = residentKiB();
        plain.push_back(bench::milliseconds([&] {
            quill::writeListFilePair(u"Plain"_s + phrase, lists.first, u"Plain"_s + mean,
                                     lists.second);
        }));
        lists = {}; // "&Clear All Fields"
        const qint64 cleared = residentKiB();
        removing.push_back(
            bench::milliseconds([&] { sync.save(lists.view(), {}, {}, u"Save Fields..."_s); }));
        const qint64 saved = residentKiB();
        loadedRatio = double(held - before) * 1024 / files;
        clearedRatio = double(cleared - before) * 1024 / files;
        savedRatio = double(saved - before) * 1024 / files;
        historyBytes = folderBytes(quill::RemovalHistory(u"."_s).folder());
    }
    const double plainMs = bench::median(plain);
    const double removingMs = bench::median(removing);
    std::printf("2 x %lld entries, files %.0f MB\n", (long long)count, files / 1e6);
    std::printf("  plain pair save                       %8.1f ms\n", plainMs);
    std::printf("  save removing every pair              %8.1f ms  (%.3fx, target 1.5x)\n",
                removingMs, removingMs / plainMs);
    std::printf("  removal history written               %8.1f MB  (%.2fx the files)\n",
                double(historyBytes) / 1e6, double(historyBytes) / files);
    std::printf("  memory above the start: lists loaded %.2fx the files, cleared %.2fx, "
                "after the save %.2fx\n",
                loadedRatio, clearedRatio, savedRatio);
}

void restore(qsizetype count, const QString& state) {
    const QString folder = QDir::currentPath();
    std::vector<double> times;
    QByteArray summary;
    for (int round = 0; round < Repeats; ++round) {
        QDir(state).removeRecursively();
        QFile::remove(QString::fromUtf16(quill::PhraseFileName));
        QFile::remove(QString::fromUtf16(quill::MeanFileName));
        {
            const quill::ListPair removed{bench::numberedList("word ", count),
                                          bench::numberedList("meaning ", count)};
            quill::RemovalRecorder recorder{quill::RemovalHistory(folder)};
            recorder.record(removed.view(), {{0, count}}, u"Clear All Fields"_s, 0);
            recorder.sync();
            recorder.commit();
        }
        times.push_back(bench::milliseconds([&] {
            summary = quill::runRemoval({u"quillbook"_s, u"restore"_s, folder}).standardOutput;
        }));
    }
    std::printf("quillbook restore of %lld pairs into empty lists: %8.1f ms (target 2000): %s",
                (long long)count, bench::median(times), summary.constData());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<qsizetype> counts;
    QString folder = QDir::tempPath();
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--folder" && i + 1 < argc)
            folder = QString::fromLocal8Bit(argv[++i]);
        else
            counts.push_back(std::atoll(argv[i]));
    }
    const qsizetype entries = counts.size() > 0 ? counts[0] : 10'000'000;
    const qsizetype restored = counts.size() > 1 ? counts[1] : 1'000'000;
    QTemporaryDir temporary(folder + u"/bench_removals-XXXXXX"_s);
    const QString state = temporary.filePath(u"state"_s);
    qputenv("XDG_STATE_HOME", QFile::encodeName(state));
    QDir(temporary.path()).mkdir(u"lists"_s);
    QDir::setCurrent(temporary.filePath(u"lists"_s));
    clearingSave(entries, state);
    restore(restored, state);
    return 0;
}
