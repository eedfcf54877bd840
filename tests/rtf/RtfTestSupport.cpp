#include "RtfTestSupport.h"

#include "rtf/NotesDocument.h"

#include <QDir>
#include <QTextBlock>
#include <QTextDocument>

namespace quill::test {

QString rtfCorpusDir() {
    const QString dir = QStringLiteral(QUILLBOOK_RTF_CORPUS);
    return QDir(dir).exists() ? QDir(dir).canonicalPath() : QString();
}

QStringList paragraphs(const QTextDocument& document) {
    QStringList result;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        result.append(block.text());
    if (!result.isEmpty() && result.back().isEmpty())
        result.removeLast();
    return result;
}

QStringList loadParagraphs(QByteArrayView bytes) {
    QTextDocument document;
    loadNotes(bytes, document);
    return paragraphs(document);
}

} // namespace quill::test
