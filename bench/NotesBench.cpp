// One key typed into the notes pane while it holds 1 MB of text (10,000 paragraphs of 100
// characters, or 100 of 10,000), cursor in the middle: the key, the new layout of its paragraph
// and the repaint. And the rich text and plain text files of bench_rtf, cut to what the pane
// holds (4 MB in 40,000 paragraphs, 3 MB in 41,000 lines), opened through "&Open Notes As...."
// into the shown pane, until it has handled the events that follow.
//
//   build/dev/bench/bench_notes --benchmark_min_time=2
#include "RtfSamples.h"
#include "app/ProductionServices.h"
#include "dialogs/Dialogs.h"
#include "window/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace quill;

// Cancels every file dialog: "&Open Notes As...." then just shows the pane.
class CancellingDialogs : public Dialogs {
public:
    std::optional<QString> prompt(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    bool askOkCancel(const QString&, const QString&) override { return false; }
    void beep() override {}
    void reportFailure(const QString&, const QString&) override {}
    std::unique_ptr<Progress> startProgress(const QString&, qint64) override {
        struct Running : Progress {
            bool update(qint64) override { return true; }
        };
        return std::make_unique<Running>();
    }
};

// Confirms "&Open Notes As...." with one file.
class OpeningDialogs : public CancellingDialogs {
public:
    explicit OpeningDialogs(QString path) : path_(std::move(path)) {}
    std::optional<FileChoice> openFileName(const FileDialog&) override {
        return FileChoice{path_, 1};
    }

private:
    QString path_;
};

void openIntoPane(benchmark::State& state, QByteArray (*makeFile)()) {
    const QByteArray bytes = makeFile();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.rtf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        state.SkipWithError("cannot write the notes file");
        return;
    }
    file.close();
    OpeningDialogs dialogs(path);
    FormServices services = productionServices(dialogs);
    TForm1 form(services);
    form.show();
    QAction& open = *form.findChild<QAction*>(QStringLiteral("OpenAs1"));
    for (auto _ : state) {
        open.trigger();
        QApplication::processEvents();
    }
    state.counters["blocks"] = double(form.RichEdit1->document()->blockCount());
}

void keyIntoMegabyteOfNotes(benchmark::State& state, int paragraphLength) {
    CancellingDialogs dialogs;
    FormServices services = productionServices(dialogs);
    TForm1 form(services);
    form.show();
    form.findChild<QAction*>(QStringLiteral("OpenAs1"))->trigger();
    QTextEdit& pane = *form.RichEdit1;
    QString text;
    const int paragraphs = 1'000'000 / paragraphLength;
    text.reserve(1'000'000 + paragraphs);
    for (int i = 0; i < paragraphs; ++i) {
        for (int word = 0; word < paragraphLength / 10; ++word)
            text += QString(9, QChar(u'a' + (i + word) % 26)) + u' ';
        text += u'\n';
    }
    pane.setPlainText(text);
    QTextCursor cursor(pane.document());
    cursor.setPosition(int(text.size() / 2));
    pane.setTextCursor(cursor);
    pane.ensureCursorVisible();
    pane.setFocus();
    QApplication::processEvents();
    for (auto _ : state) {
        QTest::keyClick(&pane, Qt::Key_X);
        pane.viewport()->repaint();
    }
    state.counters["characters"] = double(pane.document()->characterCount());
}

} // namespace

BENCHMARK_CAPTURE(keyIntoMegabyteOfNotes, shortParagraphs, 100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(keyIntoMegabyteOfNotes, longParagraphs, 10'000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(
    openIntoPane, richText4MB, +[] { return quill::bench::richText(40'000); })
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(
    openIntoPane, plainText3MB, +[] { return quill::bench::plainText(3'000'000); })
    ->Unit(benchmark::kMillisecond);
