// Undo and redo of "&Clear All Fields" in the whole program with two list files of 10,000,000
// entries each (or the count given): the time from the command until the window's event loop
// turns again (the window answers), and the resident memory after loading, after clearing (the
// undo history then holds the cleared entries), after undoing and after redoing, against the
// files' size. Each command runs five times; the table shows the median and the slowest.
//
//   build/dev/bench/bench_undo [entries [folder]]
//
// With a folder, the lists are written into a subfolder per entry count once and reused by later
// runs, the same lists bench_startup writes there.

#include "AnsweringDialogs.h"
#include "BenchTiming.h"
#include "WordLists.h"
#include "app/ProductionServices.h"
#include "fields/FieldCombo.h"
#include "window/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

long residentKiB() {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

void waitUntil(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Runs the command and lets the event loop turn once, as after a click.
double answered(QAction& command) {
    return bench::milliseconds([&command] {
        command.trigger();
        QEventLoop loop;
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
        loop.exec();
    });
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int entries = argc > 1 ? QByteArray(argv[1]).toInt() : 10000000;
    QTemporaryDir temporary;
    QDir folder(temporary.path());
    if (argc > 2) {
        folder.setPath(QDir(QString::fromLocal8Bit(argv[2])).filePath(QString::number(entries)));
        folder.mkpath(u"."_s);
    }
    bench::writeWordListPair(folder, entries);
    const double filesKiB = double(QFileInfo(folder.filePath(u"Phrase.log"_s)).size() +
                                   QFileInfo(folder.filePath(u"Mean.log"_s)).size()) /
                            1024.0;
    QDir::setCurrent(folder.path());

    quill::bench::AnsweringDialogs dialogs;
    quill::TForm1 form(quill::productionServices(dialogs));
    form.show();
    form.activateWindow();
    const auto indexed = [&form] {
        return form.ComboBox1->completionIndexed() && form.ComboBox2->completionIndexed();
    };
    waitUntil([&] { return form.ComboBox2->entries().size() == entries && indexed(); });
    const long loadedKiB = residentKiB();

    QAction& clear = *form.findChild<QAction*>(u"Exit1"_s);
    QAction& undo = *form.findChild<QAction*>(u"Undo1"_s);
    QAction& redo = *form.findChild<QAction*>(u"Redo1"_s);
    std::vector<double> clearMs, undoMs, redoMs;
    long clearedKiB = 0, undoneKiB = 0, redoneKiB = 0;
    for (int round = 0; round < 5; ++round) {
        // Each round clears the lists the round before brought back, so the history never
        // holds more than one step's entries beside the fields.
        clearMs.push_back(answered(clear));
        clearedKiB = residentKiB();
        undoMs.push_back(answered(undo));
        waitUntil(indexed);
        undoneKiB = residentKiB();
        redoMs.push_back(answered(redo));
        redoneKiB = residentKiB();
        answered(undo);
        waitUntil(indexed);
    }
    if (form.ComboBox1->entries().size() != entries || dialogs.failures != 0) {
        std::printf("the fields did not come back whole\n");
        return 1;
    }
    const auto ratio = [&](long kib) {
        return double(kib - loadedKiB) / filesKiB;
    };
    std::printf("2 x %d entries, files %.0f KiB, resident after loading %ld KiB\n", entries,
                filesKiB, loadedKiB);
    std::printf("%-26s %10s %10s %22s\n", "command", "median ms", "max ms", "memory vs. loaded");
    const struct {
        const char* name;
        std::vector<double>& ms;
        long kib;
    } rows[] = {{"\"&Clear All Fields\"", clearMs, clearedKiB},
                {"undo (target 100 ms)", undoMs, undoneKiB},
                {"redo (target 100 ms)", redoMs, redoneKiB}};
    for (const auto& row : rows)
        std::printf("%-26s %10.1f %10.1f %+15.3f x files\n", row.name, bench::median(row.ms),
                    *std::max_element(row.ms.begin(), row.ms.end()), ratio(row.kib));
    std::printf("the history adds %.3f x the files' size while it holds the cleared entries "
                "(target 0.1)\n",
                ratio(clearedKiB));
    return 0;
}
