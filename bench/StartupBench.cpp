// Whole-program figures with two list files of 1,000,000 entries each (or the count given):
// start-up until both fields are filled and shown, the time until both fields' completion index
// is built in the background, opening the drop-down list, one typed character with completion,
// "&Save Fields..." and resident memory (at start-up, with the index built, and the peak). The
// same steps run on a window of two plain QComboBoxes filled with addItems() as the reference.
// Each figure is measured in a fresh process.
//
//   build/dev/bench/bench_startup [entries [program|both [folder]]]
//
// Writing ten million entries takes a while: with a folder, the lists are written into a
// subfolder per entry count once and reused by later runs (they are the same every time).

#include "WordLists.h"
#include "app/ProductionServices.h"
#include "dialogs/QtDialogs.h"
#include "fields/FieldCombo.h"
#include "window/TForm1.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <functional>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Milliseconds since this process started (the kernel's start time has clock-tick resolution).
double msSinceProcessStart() {
    QFile stat(u"/proc/self/stat"_s);
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 of the whole line
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

long residentKb() {
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

// Sleeps between events as the program's own event loop does, so the wait takes no processor
// time from the work it waits for (on two cores a busy wait slowed the background sorting by a
// third); a timer wakes it to look again.
void waitUntil(const std::function<bool()>& done) {
    QTimer tick;
    tick.start(5);
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Highest resident memory of this process so far.
long peakResidentKb() {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

struct Figures {
    double startupMs = 0, indexMs = 0, popupMs = 0, typeMs = 0, saveMs = 0;
    long rssKb = 0, indexedRssKb = 0, peakRssKb = 0;
};

void print(const Figures& f) {
    std::printf("startup_ms=%.1f index_ms=%.1f popup_ms=%.2f type_ms=%.2f save_ms=%.1f rss_kb=%ld "
                "indexed_rss_kb=%ld peak_rss_kb=%ld\n",
                f.startupMs, f.indexMs, f.popupMs, f.typeMs, f.saveMs, f.rssKb, f.indexedRssKb,
                f.peakRssKb);
}

// Times opening the list and typing one character into an editable combo box.
void measureField(QComboBox* field, Figures& f) {
    QElapsedTimer timer;
    timer.start();
    field->showPopup();
    // An empty combo box opens no list at all.
    waitUntil([field] { return field->view()->isVisible() || field->count() == 0; });
    QCoreApplication::processEvents();
    f.popupMs = timer.nsecsElapsed() / 1e6;
    field->hidePopup();
    QCoreApplication::processEvents();

    field->lineEdit()->clear();
    field->lineEdit()->setFocus();
    timer.restart();
    // No entry starts with "#": completion looks at every entry, the slowest case.
    QTest::keyClick(field->lineEdit(), Qt::Key_NumberSign);
    QCoreApplication::processEvents();
    f.typeMs = timer.nsecsElapsed() / 1e6;
}

int runProgram(int& argc, char** argv) {
    QApplication app(argc, argv);
    quill::QtDialogs dialogs;
    quill::FormServices services = quill::productionServices(dialogs);
    quill::TForm1 form(services);
    form.show();
    form.activateWindow();
    waitUntil([&form] { return form.isActiveWindow() && form.isVisible(); });
    QCoreApplication::processEvents();
    Figures f;
    f.startupMs = msSinceProcessStart();
    f.rssKb = residentKb();
    waitUntil([&form] {
        return form.ComboBox1->completionIndexed() && form.ComboBox2->completionIndexed();
    });
    f.indexMs = msSinceProcessStart();
    f.indexedRssKb = residentKb();
    measureField(form.ComboBox1, f);
    QElapsedTimer timer;
    timer.start();
    form.findChild<QAction*>(u"SaveFields1"_s)->trigger();
    f.saveMs = timer.nsecsElapsed() / 1e6;
    f.peakRssKb = peakResidentKb();
    print(f);
    return 0;
}

QStringList readLines(const QString& name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u"\r\n"_s, Qt::SkipEmptyParts);
}

int runReference(int& argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    auto* first = new QComboBox(&window);
    auto* second = new QComboBox(&window);
    first->setEditable(true);
    second->setEditable(true);
    first->setGeometry(0, 0, 593, 25);
    second->setGeometry(0, 24, 593, 23);
    first->addItems(readLines(u"Phrase.log"_s));
    second->addItems(readLines(u"Mean.log"_s));
    window.show();
    window.activateWindow();
    waitUntil([&window] { return window.isActiveWindow(); });
    QCoreApplication::processEvents();
    Figures f;
    f.startupMs = msSinceProcessStart();
    f.rssKb = residentKb();
    f.indexMs = f.startupMs; // no index: completion scans
    f.indexedRssKb = f.rssKb;
    measureField(first, f);
    QElapsedTimer timer;
    timer.start();
    for (auto [field, name] : {std::pair{first, u"Phrase.log"_s}, {second, u"Mean.log"_s}}) {
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        QByteArray text;
        for (int i = 0; i < field->count(); ++i)
            text += field->itemText(i).toUtf8() + "\r\n";
        file.write(text);
    }
    f.saveMs = timer.nsecsElapsed() / 1e6;
    f.peakRssKb = peakResidentKb();
    print(f);
    return 0;
}

Figures parse(const QByteArray& output) {
    Figures f;
    for (const QByteArray& pair : output.trimmed().split(' ')) {
        const QList<QByteArray> kv = pair.split('=');
        const double v = kv.value(1).toDouble();
        if (kv[0] == "startup_ms")
            f.startupMs = v;
        else if (kv[0] == "index_ms")
            f.indexMs = v;
        else if (kv[0] == "popup_ms")
            f.popupMs = v;
        else if (kv[0] == "type_ms")
            f.typeMs = v;
        else if (kv[0] == "save_ms")
            f.saveMs = v;
        else if (kv[0] == "rss_kb")
            f.rssKb = long(v);
        else if (kv[0] == "indexed_rss_kb")
            f.indexedRssKb = long(v);
        else if (kv[0] == "peak_rss_kb")
            f.peakRssKb = long(v);
    }
    return f;
}

Figures runChild(const QString& mode, const QString& folder) {
    QProcess child;
    child.setWorkingDirectory(folder);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {mode});
    child.waitForFinished(300000);
    return parse(child.readAllStandardOutput());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && argv[1] == QByteArrayView("--program"))
        return runProgram(argc, argv);
    if (argc > 1 && argv[1] == QByteArrayView("--reference"))
        return runReference(argc, argv);

    QCoreApplication app(argc, argv);
    const int entries = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    QTemporaryDir empty, temporary;
    QDir full(temporary.path());
    if (argc > 3) {
        full.setPath(QDir(QString::fromLocal8Bit(argv[3])).filePath(QString::number(entries)));
        full.mkpath(u"."_s);
    }
    // The program saves the same entries back, so kept lists stay as they were written.
    bench::writeWordListPair(full, entries);
    const double dataKb = double(QFileInfo(full.filePath(u"Phrase.log"_s)).size() +
                                 QFileInfo(full.filePath(u"Mean.log"_s)).size()) /
                          1024.0;

    // A second argument "program" skips the plain QComboBox reference, which takes minutes at
    // ten million entries.
    QStringList modes{u"--program"_s, u"--reference"_s};
    if (argc > 2 && argv[2] == QByteArrayView("program"))
        modes.removeLast();
    for (const QString& mode : modes) {
        const Figures base = runChild(mode, empty.path());
        const Figures f = runChild(mode, full.path());
        const char* who = mode == u"--program"_s ? "quillbook" : "plain QComboBox";
        std::printf("%-16s start-up with 2 x %d entries: %7.1f ms (target 1000)\n", who, entries,
                    f.startupMs);
        std::printf("%-16s completion index built:      %7.1f ms after start\n", who, f.indexMs);
        std::printf("%-16s open drop-down list:         %7.2f ms (target 50)\n", who, f.popupMs);
        std::printf("%-16s one typed char (no match):   %7.2f ms (target 10)\n", who, f.typeMs);
        std::printf("%-16s save both lists:             %7.1f ms (target 1000)\n", who, f.saveMs);
        std::printf("%-16s memory above empty start:    %7.2f x the files' %.0f KiB (target 1.5)\n",
                    who, double(f.rssKb - base.rssKb) / dataKb, dataKb);
        std::printf("%-16s   with the index built:      %7.2f x (target 1.5)\n", who,
                    double(f.indexedRssKb - base.indexedRssKb) / dataKb);
        std::printf("%-16s   peak:                      %7.2f x\n", who,
                    double(f.peakRssKb - base.peakRssKb) / dataKb);
    }
    return 0;
}
