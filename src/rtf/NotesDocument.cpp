#include "rtf/NotesDocument.h"

#include "rtf/PlainText.h"
#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"

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
    document.clear(); // the pictures too
    if (isRichText(bytes)) {
        RtfReader(document).read(withoutBom(bytes));
    } else {
        document.setPlainText(decodePlainText(bytes));
    }
    document.setUndoRedoEnabled(undo);
}

QByteArray saveNotes(const QTextDocument& document) {
    return RtfWriter(document).write();
}

} // namespace quill
