#include "rtf/NotesDocument.h"

#include "rtf/PlainText.h"
#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"

#include <QTextCursor>
#include <QTextDocument>

namespace quill {

namespace {

constexpr QByteArrayView utf8Bom("\xEF\xBB\xBF");

QByteArrayView withoutBom(QByteArrayView bytes) {
    return bytes.startsWith(utf8Bom) ? bytes.sliced(utf8Bom.size()) : bytes;
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
}

QByteArray saveNotes(const QTextDocument& document) {
    return RtfWriter(document).write();
}

} // namespace quill
