#pragma once

#include <QByteArrayView>
#include <QString>

namespace quill {

// Throws Failure "line L, column C: reason" for the byte at offset of the text. Lines end at
// CR LF, CR or LF; columns count characters (UTF-8 sequences), both from 1.
[[noreturn]] void failAt(QByteArrayView text, qsizetype offset, const QString& reason);
// The same with line and column already known.
[[noreturn]] void failAt(qint64 line, qint64 column, const QString& reason);

// Throws Failure "line L, column C: the text is not UTF-8" for the first byte that is not,
// when there is one.
void requireUtf8(QByteArrayView text);

// Throws OneColumnFailure for text in which no line holds a second field.
[[noreturn]] void failOneColumn(char separator);

// Throws Failure naming the first of the pairs the format cannot hold (line of the list files),
// why, and how many there are, when there is one.
void refuseUnwritablePairs(const char* format, qsizetype first, qsizetype count,
                           const QString& why);

} // namespace quill
