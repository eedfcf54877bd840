// Listing a folder of 100,000 files: reading, matching and sorting the names.
#include "insertions/DirectoryListing.h"
#include "insertions/FileListing.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <ftw.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int fileCount = 100000;

// One folder of mixed-case names, made once for every benchmark of the run.
class ManyFiles {
public:
    ManyFiles() {
        directory_ = QFile::encodeName(QDir(temp_.path()).canonicalPath());
        for (int i = 0; i < fileCount; ++i) {
            const QByteArray name = directory_ + (i % 3 == 0 ? "/Entry " : "/entry_") +
                                    QByteArray::number(i * 7919 % fileCount) +
                                    (i % 2 ? ".txt" : ".LOG");
            const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0644);
            if (fd >= 0)
                ::close(fd);
        }
    }
    ~ManyFiles() {
        ::nftw(
            directory_.constData(),
            [](const char* path, const struct stat*, int, FTW*) { return ::remove(path), 0; }, 16,
            FTW_DEPTH | FTW_PHYS);
    }
    const QByteArray& directory() const { return directory_; }

private:
    QTemporaryDir temp_;
    QByteArray directory_;
};

const ManyFiles& manyFiles() {
    static const ManyFiles files;
    return files;
}

void fileListingOfManyFiles(benchmark::State& state, const char* pattern) {
    const QByteArray path = manyFiles().directory() + '/' + pattern;
    for (auto _ : state) {
        quill::FileListing listing{QLocale()};
        listing.pointAt(path);
        benchmark::DoNotOptimize(listing.lines().size());
    }
    state.counters["files"] = double(fileCount);
}

void directoryListingOfManyFiles(benchmark::State& state) {
    for (auto _ : state) {
        quill::DirectoryListing listing{QLocale()};
        listing.pointAt(manyFiles().directory());
        benchmark::DoNotOptimize(listing.lines().size());
    }
}

} // namespace

BENCHMARK_CAPTURE(fileListingOfManyFiles, everyFile, "*.*")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(fileListingOfManyFiles, twoPatterns, "*.txt;entry*")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(directoryListingOfManyFiles)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
