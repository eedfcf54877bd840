// Kill test of "&Save Fields...". Each trial forks a child that builds the real main window in
// the test folder, loads Phrase.log and Mean.log as at start-up (the old lists), puts new lists
// of the same size into both fields and triggers the menu action; the parent kills the child
// with SIGKILL at a random moment of the save and looks at the folder: the pair on disk is
// old/old, new/new or mixed (one file new, the other old), a file that is neither is partial,
// and every other name in the folder is a leftover.
//
//   QT_QPA_PLATFORM=offscreen build/dev/bench/bench_pair_kill [trials] [entries] [seed]
//
// Defaults: 100 trials, 500,000 entries per list. The moments are spread evenly over the time a
// whole save takes (measured first, without a kill) and a little beyond it.

#include "app/ProductionServices.h"
#include "core/EntryList.h"
#include "dialogs/Dialogs.h"
#include "fields/FieldCombo.h"
#include "storage/ListFile.h"
#include "window/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The child's answers: none of the save's steps asks anything; a failure is printed.
class ReportingDialogs : public quill::Dialogs {
public:
    std::optional<QString> prompt(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    bool askOkCancel(const QString&, const QString&) override { return false; }
    void beep() override {}
    void reportFailure(const QString& text, const QString&) override {
        std::fprintf(stderr, "child: failure reported: %s\n", qPrintable(text));
        failed = true;
    }
    std::unique_ptr<Progress> startProgress(const QString&, qint64) override { return nullptr; }
    bool failed = false;
};

quill::EntryList makeList(const char* kind, int entries) {
    quill::EntryList list;
    for (int i = 0; i < entries; ++i)
        list.append(QByteArray(kind) + ' ' + QByteArray::number(i));
    return list;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// The child: the main window, the start-up load, new lists, then the menu action. It tells the
// parent through the pipe when the save starts ('s') and when it has ended ('e').
[[noreturn]] void runChild(const QString& folder, int entries, int pipeOut) {
    if (::chdir(QFile::encodeName(folder).constData()) != 0)
        _exit(3);
    int argc = 1;
    char name[] = "bench_pair_kill";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    ReportingDialogs dialogs;
    quill::FormServices services = quill::productionServices(dialogs);
    quill::TForm1 form(services);
    form.runCommand(&quill::TForm1::FormActivate);
    if (form.ComboBox1->entries().size() != entries || dialogs.failed)
        _exit(4);
    form.ComboBox1->replaceAllEntries(makeList("new phrase", entries));
    form.ComboBox2->replaceAllEntries(makeList("new meaning", entries));
    auto* save = form.findChild<QAction*>(u"SaveFields1"_s);
    if (!save)
        _exit(5);
    if (::write(pipeOut, "s", 1) != 1)
        _exit(6);
    save->trigger();
    if (::write(pipeOut, "e", 1) != 1)
        _exit(6);
    _exit(dialogs.failed ? 7 : 0);
}

struct Trial {
    double killAtMs = -1; // after the start of the save; negative: no kill
    double saveMs = 0;    // how long the save took, when it ended
    bool ended = false;
    int exitCode = -1;
};

// Runs one child; kills it killAtMs after the save started unless killAtMs is negative.
Trial runTrial(const QString& folder, int entries, double killAtMs) {
    Trial trial;
    trial.killAtMs = killAtMs;
    int fds[2];
    if (::pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(2);
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        std::perror("fork");
        std::exit(2);
    }
    if (child == 0) {
        ::close(fds[0]);
        runChild(folder, entries, fds[1]);
    }
    ::close(fds[1]);
    char signal = 0;
    if (::read(fds[0], &signal, 1) == 1 && signal == 's') {
        QElapsedTimer timer;
        timer.start();
        if (killAtMs >= 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(qint64(killAtMs * 1000)));
            ::kill(child, SIGKILL);
        } else if (::read(fds[0], &signal, 1) == 1 && signal == 'e') {
            trial.ended = true;
            trial.saveMs = double(timer.nsecsElapsed()) / 1e6;
        }
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    trial.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return trial;
}

const char* kindOf(const QByteArray& bytes, const QByteArray& oldBytes,
                   const QByteArray& newBytes) {
    if (bytes == oldBytes)
        return "old";
    if (bytes == newBytes)
        return "new";
    return bytes.isNull() ? "missing" : "partial";
}

} // namespace

int main(int argc, char** argv) {
    const int trials = argc > 1 ? std::atoi(argv[1]) : 100;
    const int entries = argc > 2 ? std::atoi(argv[2]) : 500'000;
    const quint32 seed = argc > 3 ? quint32(std::strtoul(argv[3], nullptr, 10)) : 20261209u;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QTemporaryDir dir;
    if (!dir.isValid())
        return 2;
    const QString folder = dir.path();
    const QString phrase = dir.filePath(u"Phrase.log"_s);
    const QString mean = dir.filePath(u"Mean.log"_s);
    const QByteArray oldPhrase = quill::listText(makeList("old phrase", entries));
    const QByteArray oldMean = quill::listText(makeList("old meaning", entries));
    const QByteArray newPhrase = quill::listText(makeList("new phrase", entries));
    const QByteArray newMean = quill::listText(makeList("new meaning", entries));
    const auto restoreOldPair = [&] {
        if (!writeAll(phrase, oldPhrase) || !writeAll(mean, oldMean)) {
            std::fprintf(stderr, "cannot write the old lists into %s\n", qPrintable(folder));
            std::exit(2);
        }
    };

    // Three whole saves first: the longest sets the range of the kill moments.
    double saveMs = 0;
    for (int i = 0; i < 3; ++i) {
        restoreOldPair();
        const Trial whole = runTrial(folder, entries, -1);
        if (!whole.ended || whole.exitCode != 0 || readAll(phrase) != newPhrase ||
            readAll(mean) != newMean) {
            std::fprintf(stderr, "the save without a kill did not give the new pair (exit %d)\n",
                         whole.exitCode);
            return 1;
        }
        saveMs = std::max(saveMs, whole.saveMs);
    }
    std::printf("entries=%d files=%lld+%lld bytes save_ms=%.1f seed=%u\n", entries,
                qint64(newPhrase.size()), qint64(newMean.size()), saveMs, seed);

    QRandomGenerator random(seed);
    int oldOld = 0, newNew = 0, mixed = 0, partial = 0, withLeftovers = 0, notKilled = 0;
    for (int i = 0; i < trials; ++i) {
        restoreOldPair();
        const double killAt = random.bounded(saveMs * 1.1);
        const Trial trial = runTrial(folder, entries, killAt);
        const char* phraseKind = kindOf(readAll(phrase), oldPhrase, newPhrase);
        const char* meanKind = kindOf(readAll(mean), oldMean, newMean);
        QStringList leftovers = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot);
        leftovers.removeAll(u"Phrase.log"_s);
        leftovers.removeAll(u"Mean.log"_s);

        const QByteArray pair = QByteArray(phraseKind) + '/' + meanKind;
        if (pair == "old/old")
            ++oldOld;
        else if (pair == "new/new")
            ++newNew;
        else if (pair == "new/old" || pair == "old/new")
            ++mixed;
        else
            ++partial;
        if (!leftovers.isEmpty())
            ++withLeftovers;
        if (trial.exitCode != -SIGKILL)
            ++notKilled;
        std::printf("trial %3d: kill at %7.1f ms: %-12s leftovers: %s%s\n", i + 1, killAt,
                    pair.constData(),
                    leftovers.isEmpty() ? "none" : qPrintable(leftovers.join(u", "_s)),
                    trial.exitCode == -SIGKILL ? "" : " (the save had ended)");
        std::fflush(stdout);
        for (const QString& name : leftovers)
            QFile::remove(dir.filePath(name));
    }
    std::printf("trials=%d old/old=%d new/new=%d mixed=%d partial=%d with_leftovers=%d "
                "ended_before_kill=%d\n",
                trials, oldOld, newNew, mixed, partial, withLeftovers, notKilled);
    // A kill between the two renames gives a mixed pair, and the second file's temporary copy
    // (named just before the renames) stays behind; only a partial file fails the run.
    return partial == 0 ? 0 : 1;
}
