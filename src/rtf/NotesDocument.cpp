#include "rtf/NotesDocument.h"

#include "rtf/NotesFootprint.h"
#include "rtf/PlainText.h"
#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace quill {

namespace {

constexpr QByteArrayView utf8Bom("\xEF\xBB\xBF");

QByteArrayView withoutBom(QByteArrayView bytes) {
    return bytes.startsWith(utf8Bom) ? bytes.sliced(utf8Bom.size()) : bytes;
}

// Longer runs without a blank are broken anywhere; at word boundaries first, every line of such
// a run scans the rest of it before it gives up, which takes minutes for a megabyte.
constexpr qsizetype LongestWord = 1000;

bool hasLongWord(QStringView text) {
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > LongestWord)
            return true;
    }
    return false;
}

void prepareLayout(QTextDocument& document) {
    bool longWord = false;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        longWord = longWord || (block.length() > LongestWord && hasLongWord(block.text()));
        // Without its kept layout, a paragraph is shaped whole again at every paint.
        if (block.length() > NotesFootprint::LongParagraph)
            block.layout()->setCacheEnabled(true);
    }
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(longWord ? QTextOption::WrapAnywhere
                                : QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
}

} // namespace

bool isRichText(QByteArrayView bytes) {
    return withoutBom(bytes).startsWith(QByteArrayView("{\\rtf"));
}

void loadNotes(QByteArrayView bytes, QTextDocument& document) {
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    // Clearing and filling make one change, from an empty document to the new content: a pane
    // showing the document then lays it out bit by bit as it does a new document, instead of
    // all of it at once before the load returns.
    QTextCursor change(&document);
    change.beginEditBlock();
    document.clear(); // the pictures too
    if (isRichText(bytes)) {
        RtfReader(document).read(withoutBom(bytes));
    } else {
        document.setPlainText(decodePlainText(bytes));
    }
    change.endEditBlock();
    document.setUndoRedoEnabled(undo);
    prepareLayout(document);
}

QByteArray saveNotes(const QTextDocument& document) {
    return RtfWriter(document).write();
}

} // namespace quill
