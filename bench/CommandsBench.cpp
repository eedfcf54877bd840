// Every command of the window with two list files of 10,000,000 entries each (or the count
// given): each command of the three menus, the two take buttons, the list file dialogs' and the
// notes commands, triggered as a user would and answered by a script, then the command line's
// export, import, find, removed and restore run as the built program. One table: the time
// until the window answers again, the longest it went without answering, whether the busy
// cursor and a progress window showed, and the peak memory above an empty start.
//
//   build/dev/bench/bench_commands [entries]
//
// Rules checked per row: no stretch over 100 ms without an answer and without the busy cursor;
// no work over 1 s (counted from the command or from a dialog answered) without a progress window.

#include "BenchTiming.h"
#include "CommandProbe.h"
#include "RtfSamples.h"
#include "WordLists.h"
#include "app/ProductionServices.h"
#include "dialogs/QtProgress.h"
#include "fields/FieldCombo.h"
#include "launcher/Starter.h"
#include "window/CommandTable.h"
#include "window/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <vector>

extern char** environ;

using namespace Qt::StringLiterals;

namespace {

// Prompts take the next scripted answer, else their own default text; file dialogs the next
// scripted file; questions are confirmed. Progress windows are the program's real ones.
class ScriptedDialogs : public quill::Dialogs {
public:
    std::deque<QString> answers;
    std::deque<QString> files;
    QWidget* owner = nullptr;
    quill::bench::CommandProbe* probe = nullptr;
    int failures = 0;
    QString lastFailure;

    std::optional<QString> prompt(const QString&, const QString&, const QString& text) override {
        answered();
        if (answers.empty())
            return text.isEmpty() ? u"bench"_s : text;
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool askOkCancel(const QString&, const QString&) override {
        answered();
        return true;
    }
    void beep() override {}
    void reportFailure(const QString& text, const QString&) override {
        ++failures;
        lastFailure = text;
    }
    std::unique_ptr<Progress> startProgress(const QString& caption, qint64 total) override {
        return std::make_unique<quill::QtProgress>(owner, caption, total);
    }
    std::optional<quill::FileChoice> openFileName(const quill::FileDialog&) override {
        return next();
    }
    std::optional<quill::FileChoice> saveFileName(const quill::FileDialog&) override {
        return next();
    }

private:
    void answered() {
        if (probe)
            probe->endStretch(true);
    }
    std::optional<quill::FileChoice> next() {
        answered();
        if (files.empty())
            return std::nullopt;
        quill::FileChoice choice{files.front(), 1};
        files.pop_front();
        return choice;
    }
};

// Starts nothing: the launcher commands are measured up to the start.
class IdleStarter : public quill::Starter {
public:
    void startProgram(const QByteArray&) override {}
    void openFile(const QByteArray&) override {}
    void startApplication(const QByteArray&) override {}
    QByteArray defaultApplicationFor(const QByteArray&) override { return {}; }
};

struct Row {
    QString caption;
    double answerMs = 0;
    quill::bench::CommandProbe::Figures probe;
    double peakMiB = 0;
    QString remark;
};

QString plainCaption(QString caption) {
    return caption.remove(QRegularExpression(u"&(?!&)"_s)).replace(u"&&"_s, u"&"_s);
}

void printRows(const std::vector<Row>& rows, double filesMiB) {
    std::printf("%-56s %9s %9s %9s %6s %8s %9s  %s\n", "command", "answer ms", "longest",
                "no cursor", "cursor", "progress", "peak MiB", "rules");
    int misses = 0;
    for (const Row& row : rows) {
        QString rules;
        if (row.probe.uncoveredMs > 100)
            rules += u"no busy cursor for %1 ms; "_s.arg(row.probe.uncoveredMs, 0, 'f', 0);
        if (row.probe.withoutProgressMs > 1000)
            rules +=
                u"%1 ms without a progress window; "_s.arg(row.probe.withoutProgressMs, 0, 'f', 0);
        if (row.probe.progress && row.probe.longestWaitMs > 1000)
            rules += u"progress window froze; "_s;
        misses += rules.isEmpty() ? 0 : 1;
        if (rules.isEmpty())
            rules = u"ok"_s;
        const QByteArray caption = row.caption.left(56).toUtf8();
        std::printf("%-56s %9.1f %9.1f %9.1f %6s %8s %9.1f  %s%s\n", caption.constData(),
                    row.answerMs, row.probe.longestWaitMs, row.probe.uncoveredMs,
                    row.probe.cursor ? "yes" : "no", row.probe.progress ? "yes" : "no", row.peakMiB,
                    qPrintable(rules), qPrintable(row.remark));
    }
    std::printf("%d of %zu commands miss a rule; the lists' files are %.1f MiB\n", misses,
                rows.size(), filesMiB);
}

double mebibytes(long long kib) {
    return double(kib) / 1024.0;
}

// The program run as a child: wall time and its peak resident memory.
struct ChildRun {
    double ms = 0;
    long long peakKiB = 0;
    int status = -1;
};

ChildRun runProgram(const QString& program, const QStringList& arguments) {
    std::vector<QByteArray> bytes{program.toLocal8Bit()};
    for (const QString& argument : arguments)
        bytes.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    ChildRun run;
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        // The child's own peak, read while it runs: what wait4() reports includes the memory
        // of this process, which the child started as a copy of.
        const QString status = u"/proc/%1/status"_s.arg(child);
        int exit = 0;
        while (waitpid(child, &exit, WNOHANG) == 0) {
            QFile file(status);
            if (file.open(QIODevice::ReadOnly)) {
                for (const QByteArray& line : file.readAll().split('\n')) {
                    if (line.startsWith("VmHWM:"))
                        run.peakKiB = std::max(
                            run.peakKiB, line.mid(6).trimmed().split(' ').value(0).toLongLong());
                }
            }
            usleep(2000);
        }
        run.status = WIFEXITED(exit) ? WEXITSTATUS(exit) : -1;
    }
    run.ms = double(timer.nsecsElapsed()) / 1e6;
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

void resetPeak() {
    // Freed memory goes back to the system first, so the peak is the command's own.
    malloc_trim(0);
    // "5" sets the peak back to the current resident size.
    const int refs = ::open("/proc/self/clear_refs", O_WRONLY);
    if (refs >= 0) {
        if (::write(refs, "5", 1) != 1)
            std::fprintf(stderr, "the peak memory cannot be reset\n");
        ::close(refs);
    }
}

// Lets the window finish what the command started: the completion indexes, a progress window,
// the layout of a loaded document.
void settle(quill::TForm1& form, quill::bench::CommandProbe& probe) {
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < 100) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (!form.ComboBox1->completionIndexed() || !form.ComboBox2->completionIndexed() ||
            probe.progressShown())
            quiet.restart();
    }
}

// The empty start: the window on an empty folder, its resident memory once shown.
int emptyStart(int argc, char** argv) {
    QApplication app(argc, argv);
    ScriptedDialogs dialogs;
    quill::FormServices services = quill::productionServices(dialogs);
    services.starter = std::make_shared<IdleStarter>();
    quill::TForm1 form(std::move(services));
    form.show();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf("%lld\n", bench::statusKiB("VmRSS:"));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The removal history, the key store and the listing cache go into a folder of the run; the
    // empty start, a child, finds them set already.
    QTemporaryDir home;
    if (argc <= 1 || argv[1] != QByteArrayView("--empty")) {
        for (const char* variable :
             {"XDG_STATE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            qputenv(variable,
                    QDir(home.path()).filePath(QLatin1StringView(variable)).toLocal8Bit());
    }
    if (argc > 1 && argv[1] == QByteArrayView("--empty")) {
        QTemporaryDir empty;
        QDir::setCurrent(empty.path());
        return emptyStart(argc, argv);
    }

    QApplication app(argc, argv);
    const int entries = argc > 1 ? QByteArray(argv[1]).toInt() : 10'000'000;
    const QString program = QStringLiteral(QUILLBOOK_PROGRAM);

    long long emptyKiB = 0;
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {u"--empty"_s});
        child.waitForFinished(60000);
        emptyKiB = child.readAllStandardOutput().trimmed().toLongLong();
    }

    QTemporaryDir temporary;
    QDir folder(temporary.path());
    bench::writeWordListPair(folder, entries);
    const QString phrase = folder.filePath(u"Phrase.log"_s);
    const QString mean = folder.filePath(u"Mean.log"_s);
    const qint64 phraseSize = QFileInfo(phrase).size();
    const double filesMiB = double(phraseSize + QFileInfo(mean).size()) / 1048576.0;
    QFile notes(folder.filePath(u"Notes.rtf"_s));
    if (notes.open(QIODevice::WriteOnly))
        notes.write(quill::bench::richText(10'000));
    notes.close();
    QDir::setCurrent(folder.path());

    ScriptedDialogs dialogs;
    quill::FormServices services = quill::productionServices(dialogs);
    services.starter = std::make_shared<IdleStarter>();
    services.registryStorePath = folder.filePath(u"registry.sqlite3"_s);
    quill::TForm1 form(std::move(services));
    dialogs.owner = &form;
    form.show();
    form.activateWindow();
    quill::bench::CommandProbe probe;
    dialogs.probe = &probe;
    const auto whole = [&] {
        return form.ComboBox1->entries().size() == entries &&
               form.ComboBox2->entries().size() == entries;
    };
    {
        QElapsedTimer timer;
        timer.start();
        while (!whole() && timer.elapsed() < 600000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    settle(form, probe);
    std::printf("2 x %d entries, resident at empty start %.1f MiB, after loading %.1f MiB\n",
                entries, mebibytes(emptyKiB), mebibytes(bench::statusKiB("VmRSS:")));

    const auto action = [&form](const char* name) {
        return form.findChild<QAction*>(QLatin1StringView(name));
    };
    const auto quietly = [&](const char* name) {
        if (QAction* command = action(name)) {
            command->trigger();
            settle(form, probe);
        }
    };
    // Back to the loaded lists, in the fields and on disk, after a command that changed them.
    const auto restore = [&] {
        QDir::setCurrent(folder.path());
        if (!whole())
            quietly("Undo1");
        if (!whole())
            std::fprintf(stderr, "the lists did not come back after an undo\n");
        if (QFileInfo(phrase).size() != phraseSize)
            quietly("SaveFields1");
    };

    std::vector<Row> rows;
    const auto measure = [&](const QString& caption, const std::function<void()>& run) {
        Row row;
        row.caption = caption;
        const int failuresBefore = dialogs.failures;
        resetPeak();
        probe.start();
        row.answerMs = bench::milliseconds([&] {
            run();
            probe.endStretch(false);
            QEventLoop loop;
            QTimer::singleShot(0, &loop, &QEventLoop::quit);
            loop.exec();
        });
        settle(form, probe);
        row.probe = probe.stop();
        row.peakMiB = mebibytes(bench::statusKiB("VmHWM:") - emptyKiB);
        if (dialogs.failures != failuresBefore)
            row.remark = u" (failed: "_s + dialogs.lastFailure.simplified().left(60) + u')';
        rows.push_back(row);
        dialogs.answers.clear();
        dialogs.files.clear();
        restore();
    };

    // The script of each command that asks something; the rest answer with their defaults.
    const auto script = [&](const QString& name) {
        const auto inFolder = [&folder](const char16_t* file) {
            return folder.filePath(QString::fromUtf16(file));
        };
        if (name == u"OpenList1")
            dialogs.files = {phrase};
        else if (name == u"SaveListOtherName1")
            dialogs.files = {inFolder(u"Primary.log")};
        else if (name == u"Open1")
            dialogs.files = {phrase, mean};
        else if (name == u"Save1")
            dialogs.files = {inFolder(u"First.log"), inFolder(u"Second.log")};
        else if (name == u"OpenAs1")
            dialogs.files = {inFolder(u"Notes.rtf")};
        else if (name == u"SaveAs1")
            dialogs.files = {inFolder(u"Saved notes.rtf")};
        else if (name == u"ChooseaDirectory1")
            dialogs.answers = {u"/usr/share"_s};
        else if (name == u"Any1")
            dialogs.answers = {u"/usr/bin"_s};
    };

    measure(u"Data Take... (button)"_s, [&] {
        dialogs.answers = {u"bench word"_s, u"bench meaning"_s};
        form.SpeedButton1->click();
    });
    for (const quill::CommandRow& command : quill::commandTable()) {
        const QString name = QLatin1StringView(command.name);
        if (!command.handler || name == u"Exit2")
            continue;
        QAction* menuAction = action(command.name);
        // Each command runs on the loaded lists: undo and redo get a step to work on, the
        // closing of the notes pane an open pane.
        if (name == u"Undo1")
            quietly("Exit1");
        if (name == u"CloseEditor1" && !menuAction->isEnabled())
            quietly("OpenAs1");
        script(name);
        if (name == u"CloseEditor1")
            dialogs.files.clear();
        measure(plainCaption(QString::fromUtf16(command.caption)),
                [menuAction] { menuAction->trigger(); });
        if (name == u"N1") {
            // The button the command shows, with the lists loaded again.
            measure(u"New Data Take... (button)"_s, [&] {
                dialogs.answers = {u"bench word"_s, u"bench meaning"_s};
                form.SpeedButton2->click();
            });
        }
    }
    measure(u"Quit"_s, [&] { action("Exit2")->trigger(); });
    printRows(rows, filesMiB);
    std::fflush(stdout);

    // The command line, each a run of the program on the lists' folder.
    const ChildRun base = runProgram(program, {u"find"_s, u"zzzz"_s, home.path()});
    const QString exported = folder.filePath(u"pairs.csv"_s);
    const struct {
        const char* caption;
        QStringList arguments;
    } lines[] = {
        {"quillbook export csv", {u"export"_s, u"csv"_s, folder.path(), u"-o"_s, exported}},
        {"quillbook import (every pair there)", {u"import"_s, exported, folder.path()}},
        {"quillbook find", {u"find"_s, u"ab"_s, folder.path()}},
        {"quillbook removed", {u"removed"_s, folder.path()}},
        {"quillbook restore", {u"restore"_s, folder.path()}},
    };
    std::printf("\n%-40s %9s %9s %7s\n", "command line", "ms", "peak MiB", "status");
    for (const auto& line : lines) {
        const ChildRun run = runProgram(program, line.arguments);
        std::printf("%-40s %9.1f %9.1f %7d\n", line.caption, run.ms,
                    mebibytes(run.peakKiB - base.peakKiB), run.status);
        std::fflush(stdout);
    }
    return 0;
}
