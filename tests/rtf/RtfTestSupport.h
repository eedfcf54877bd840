#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

class QObject;
class QTextDocument;

QT_BEGIN_NAMESPACE
// Readable failure messages for text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace quill::test {

// The folder of rich text test files (tests/data/rtf) and a file in it.
QString rtfDataDir();
QString rtfDataPath(const QString& name);

// The paragraphs a reader shows: every block's text without hidden runs, and without the
// empty tail after a final paragraph end.
QStringList paragraphs(const QTextDocument& document);
QStringList loadParagraphs(QByteArrayView bytes);

// One paragraph per character or paragraph format the writer keeps, each holding text with
// every kind of character the writer treats apart, and an empty last paragraph.
QTextDocument* formattedDocument(QObject* parent);

} // namespace quill::test
