#include "rtf/NotesDocument.h"

#include <QStringDecoder>
#include <QTextDocument>

namespace quill {

namespace {

constexpr QByteArrayView utf8Bom("\xEF\xBB\xBF");

} // namespace

bool isRichText(QByteArrayView bytes) {
    if (bytes.startsWith(utf8Bom))
        bytes = bytes.sliced(utf8Bom.size());
    return bytes.startsWith(QByteArrayView("{\\rtf"));
}

// First cut: plain text only (UTF-8 with the other encodings still to come); the rich text
// reader and writer follow.
void loadNotes(QByteArrayView bytes, QTextDocument& document) {
    QByteArray text = bytes.toByteArray();
    text.replace('\0', QByteArrayView());
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    document.setPlainText(QString::fromUtf8(text));
}

QByteArray saveNotes(const QTextDocument& document) {
    QByteArray out("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Sans;}}{\\colortbl;}\n");
    const QString text = document.toPlainText();
    for (const QChar c : text) {
        if (c == u'\n')
            out += "\\par\n";
        else if (c == u'\\' || c == u'{' || c == u'}')
            out += '\\' + QByteArray(1, char(c.unicode()));
        else if (c.unicode() < 0x80)
            out += char(c.unicode());
        else
            out += "\\u" + QByteArray::number(qint16(c.unicode())) + '?';
    }
    out += '}';
    return out;
}

} // namespace quill
