// Any bytes load as notes without crashing or hanging, and what is read is written so that it
// reads back the same.
#include "rtf/HiddenText.h"
#include "rtf/NotesDocument.h"

#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Hidden text needs the document's layout, which loads fontconfig; fontconfig keeps its caches
// until the process ends.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

// Every input makes and drops documents of many small allocations: a short quarantine still
// catches a use after free within an input, without touching fresh pages for every one.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16";
}

// The document's characters with each hidden run's object character followed by the run's text,
// a mark before every hidden character. Hidden runs side by side that look the same read back
// as one run holding both texts: nothing is lost, but the number of object characters differs.
static QString withHiddenText(const QTextDocument& document) {
    const QString raw = document.toRawText();
    QString text;
    qsizetype done = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!quill::isHiddenText(fragment.charFormat()))
                continue;
            text += QStringView(raw).mid(done, fragment.position() - done);
            const QString hidden =
                fragment.charFormat().property(quill::hiddenTextProperty).toString();
            for (qsizetype i = 0; i < fragment.length(); ++i) {
                for (const QChar c : hidden)
                    text.append(QChar::ObjectReplacementCharacter).append(c);
            }
            done = fragment.position() + fragment.length();
        }
    }
    return text.append(QStringView(raw).mid(done));
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Broken pictures make the image readers warn at every input; the fuzzer's own output is
    // what matters.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg)
            std::fputs(qPrintable(message), stderr);
    });
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument asGiven;
    quill::loadNotes(bytes, asGiven);
    // Other bytes also go in as the body of a rich text file, so every input reaches the reader.
    const bool richAsGiven = quill::isRichText(bytes);
    QTextDocument body;
    if (!richAsGiven)
        quill::loadNotes(QByteArray("{\\rtf1 ").append(bytes), body);
    const QTextDocument& rich = richAsGiven ? asGiven : body;
    QTextDocument reread;
    quill::loadNotes(quill::saveNotes(rich), reread);
    // An empty document is written as one whole, empty paragraph.
    if (withHiddenText(reread) !=
        (rich.isEmpty() ? QStringLiteral("\u2029") : withHiddenText(rich)))
        std::abort();
    return 0;
}
