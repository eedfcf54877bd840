// Listing a folder of 100,000 files: reading, matching and sorting the names alone, and the
// whole "&Any..." command that writes "files.log" and loads it into the primary field.
//
//   build/dev/bench/bench_listings --benchmark_min_time=2
#include "app/ProductionServices.h"
#include "dialogs/Dialogs.h"
#include "fields/FieldCombo.h"
#include "listings/DirectoryListing.h"
#include "listings/FileListing.h"
#include "window/TForm1.h"

#include <QAction>
#include <QApplication>

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

// Answers the "Choose Directory" prompt with one folder.
class FolderAnswer : public quill::Dialogs {
public:
    explicit FolderAnswer(QString folder) : folder_(std::move(folder)) {}
    std::optional<QString> prompt(const QString&, const QString&, const QString&) override {
        return folder_;
    }
    bool askOkCancel(const QString&, const QString&) override { return true; }
    void beep() override {}
    void reportFailure(const QString& text, const QString&) override { failure = text; }
    std::unique_ptr<Progress> startProgress(const QString&, qint64) override {
        struct Silent : Progress {
            bool update(qint64) override { return true; }
        };
        return std::make_unique<Silent>();
    }

    QString failure;

private:
    QString folder_;
};

void anyCommandIntoPrimaryField(benchmark::State& state) {
    const QString folder = QFile::decodeName(manyFiles().directory());
    const QString start = QDir::currentPath();
    FolderAnswer dialogs(folder);
    quill::FormServices services = quill::productionServices(dialogs);
    for (auto _ : state) {
        // A fresh window holds no listing yet, so every run reads the folder.
        state.PauseTiming();
        QDir::setCurrent(start);
        auto form = std::make_unique<quill::TForm1>(services);
        QAction* any = form->findChild<QAction*>(QStringLiteral("Any1"));
        state.ResumeTiming();

        any->trigger();
        if (form->ComboBox1->entries().size() < fileCount || !dialogs.failure.isEmpty()) {
            state.SkipWithError("the listing did not reach the field");
            break;
        }
        state.PauseTiming();
        form.reset();
        QFile::remove(folder + QStringLiteral("/files.log"));
        state.ResumeTiming();
    }
    QDir::setCurrent(start);
}

} // namespace

BENCHMARK(anyCommandIntoPrimaryField)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(fileListingOfManyFiles, everyFile, "*.*")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(fileListingOfManyFiles, twoPatterns, "*.txt;entry*")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(directoryListingOfManyFiles)->Unit(benchmark::kMillisecond);
