// Times the field widgets with two lists of a million short entries each, next to a plain
// QComboBox filled with addItems() as the reference. One summary line per figure.
//   bench_fields                 both widgets, keys typed into the focused combo box
//   bench_fields --fields-only   only the field widgets
//   bench_fields --line-edit     keys sent straight to the edit line
#include "BenchTiming.h"
#include "core/EntryList.h"
#include "fields/FieldCombo.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QStringList>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

using bench::median;
using bench::milliseconds;

constexpr int entryCount = 1'000'000;
constexpr int repeats = 5;

double residentMegabytes() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return 0;
    long size = 0;
    long resident = 0;
    const int read = std::fscanf(statm, "%ld %ld", &size, &resident);
    std::fclose(statm);
    if (read != 2)
        return 0;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double settledResidentMegabytes() {
    QCoreApplication::processEvents();
    malloc_trim(0);
    return residentMegabytes();
}

// Lower-case words of 6 to 14 letters, ten on average; the same words on every run.
QByteArray word(QRandomGenerator& random) {
    QByteArray w(random.bounded(6, 15), Qt::Uninitialized);
    for (char& c : w)
        c = char('a' + random.bounded(26));
    return w;
}

void line(const char* subject, const char* figure, double value, const char* unit) {
    std::printf("%-11s %-50s %10.2f %s\n", subject, figure, value, unit);
    std::fflush(stdout);
}

struct Figures {
    double fill = 0;
    double popup = 0;
    double firstPopup = 0;
    double typedMiss = 0;
    double typedHit = 0;
    double firstTypedMiss = 0;
    double firstTypedHit = 0;
    double memory = 0;
    double memoryAfterUse = 0;
    double singleAdds = -1;
};

// Opens and closes the drop-down list, counting until the list has been laid out and painted.
double popupTime(QComboBox* combo, double& first) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        times.push_back(milliseconds([&] {
            combo->showPopup();
            QCoreApplication::processEvents();
            combo->view()->viewport()->repaint();
        }));
        // A list that was not laid out would have no room to scroll through every entry.
        if (combo->view()->verticalScrollBar()->maximum() <
            combo->count() - combo->maxVisibleItems())
            std::printf("warning: drop-down list not laid out (scroll range %d)\n",
                        combo->view()->verticalScrollBar()->maximum());
        combo->hidePopup();
        QCoreApplication::processEvents();
    }
    first = times.front();
    return median(times);
}

using namespace Qt::StringLiterals;

// The last entry of the first list; no other entry holds a '-', so typing "zz-" has to search
// the whole list before it completes.
const QByteArray lastWord = "zz-last";

QString lastTyped;
bool typeIntoCombo = true;

// Keys go where the keyboard sends them: the combo box has the focus and hands them on to its
// edit line. --line-edit sends them to the edit line directly.
QWidget* target(QComboBox* combo) {
    return typeIntoCombo ? static_cast<QWidget*>(combo) : combo->lineEdit();
}

// One key typed at the end of `start` in the edit line, with whatever completion follows.
double typedTime(QComboBox* combo, const QString& start, char key, double& first) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        combo->lineEdit()->setText(start);
        combo->lineEdit()->end(false);
        QCoreApplication::processEvents();
        times.push_back(milliseconds([&] {
            QTest::keyClick(target(combo), key);
            QCoreApplication::processEvents();
        }));
    }
    lastTyped = combo->lineEdit()->text();
    first = times.front();
    return median(times);
}

void checkCompleted(QComboBox* combo, bool selects) {
    if (lastTyped != QString::fromLatin1(lastWord) ||
        (selects && combo->currentIndex() != combo->count() - 1))
        std::printf("warning: typing \"zz-\" gave \"%s\", index %d: no completion\n",
                    qPrintable(lastTyped), combo->currentIndex());
}

// What both kinds of field go through once filled: memory, the list, typing; then they go.
void measureUse(QComboBox* first, QComboBox* second, double start, bool ours, Figures& f) {
    f.memory = settledResidentMegabytes() - start;
    first->setFocus();
    QCoreApplication::processEvents();
    if (!first->hasFocus())
        std::printf("warning: the field has no focus\n");
    f.popup = popupTime(first, f.firstPopup);
    f.typedMiss = typedTime(first, QString(), '#', f.firstTypedMiss);
    f.typedHit = typedTime(first, u"zz"_s, '-', f.firstTypedHit);
    checkCompleted(first, ours);
    f.memoryAfterUse = settledResidentMegabytes() - start;
    delete first;
    delete second;
}

Figures measureFieldCombo(QWidget* window, double& dataMegabytes) {
    Figures f;
    const double start = settledResidentMegabytes();
    auto* first = new quill::FieldCombo(window);
    auto* second = new quill::FieldCombo(window);
    first->setGeometry(0, 0, 593, 25);
    second->setGeometry(0, 24, 593, 23);
    first->show();
    second->show();
    {
        QRandomGenerator random(1);
        quill::EntryList words[2];
        for (quill::EntryList& list : words) {
            list.reserve(qsizetype(entryCount) * 10, entryCount);
            for (int i = 0; i < entryCount - 1; ++i)
                list.append(word(random));
            list.append(lastWord);
        }
        dataMegabytes = double(words[0].byteSize() + words[1].byteSize()) / (1024.0 * 1024.0);
        f.fill = milliseconds([&] {
            first->addEntries(words[0]);
            second->addEntries(words[1]);
        });
    }
    measureUse(first, second, start, true, f);

    // Commands that add one entry at a time (the entry commands), a million times over.
    quill::FieldCombo single(window);
    single.show();
    QRandomGenerator random(2);
    const std::vector<QByteArray> some = [&] {
        std::vector<QByteArray> words;
        for (int i = 0; i < entryCount; ++i)
            words.push_back(word(random));
        return words;
    }();
    f.singleAdds = milliseconds([&] {
        for (const QByteArray& w : some)
            single.addEntry(w);
    });
    return f;
}

Figures measureQComboBox(QWidget* window) {
    Figures f;
    const double start = settledResidentMegabytes();
    auto* first = new QComboBox(window);
    auto* second = new QComboBox(window);
    for (QComboBox* combo : {first, second}) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
    }
    first->setGeometry(0, 0, 593, 25);
    second->setGeometry(0, 24, 593, 23);
    first->show();
    second->show();
    {
        QRandomGenerator random(1);
        QStringList words[2];
        for (QStringList& list : words) {
            list.reserve(entryCount);
            for (int i = 0; i < entryCount - 1; ++i)
                list.append(QString::fromLatin1(word(random)));
            list.append(QString::fromLatin1(lastWord));
        }
        f.fill = milliseconds([&] {
            first->addItems(words[0]);
            second->addItems(words[1]);
        });
    }
    measureUse(first, second, start, false, f);
    return f;
}

void report(const char* subject, const Figures& f, double dataMegabytes) {
    line(subject, "fill 2 lists x 1,000,000 entries", f.fill, "ms");
    line(subject, "first open of the drop-down (showPopup, painted)", f.firstPopup, "ms");
    line(subject, "open drop-down again (median)", f.popup, "ms");
    line(subject, "typed char, no entry matches: first time", f.firstTypedMiss, "ms");
    line(subject, "typed char, no entry matches: median", f.typedMiss, "ms");
    line(subject, "typed char completing the last entry: first", f.firstTypedHit, "ms");
    line(subject, "typed char completing the last entry: median", f.typedHit, "ms");
    line(subject, "resident memory above start", f.memory, "MiB");
    line(subject, "memory / data size", f.memory / dataMegabytes, "x");
    line(subject, "memory after opening the list and typing", f.memoryAfterUse, "MiB");
    line(subject, "memory after use / data size", f.memoryAfterUse / dataMegabytes, "x");
    if (f.singleAdds >= 0)
        line(subject, "1,000,000 single addEntry calls", f.singleAdds, "ms");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bool withReference = true;
    for (int i = 1; i < argc; ++i) {
        const QByteArray option(argv[i]);
        if (option == "--fields-only")
            withReference = false;
        else if (option == "--line-edit")
            typeIntoCombo = false;
    }

    QWidget window;
    window.resize(593, 81);
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        std::printf("warning: the window did not become active\n");

    double dataMegabytes = 0;
    const Figures ours = measureFieldCombo(&window, dataMegabytes);
    std::printf("data: 2 lists x %d entries, %.2f MiB of entry bytes\n", entryCount, dataMegabytes);
    report("FieldCombo", ours, dataMegabytes);
    if (withReference)
        report("QComboBox", measureQComboBox(&window), dataMegabytes);
    return 0;
}
