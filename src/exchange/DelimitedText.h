#pragma once

#include "exchange/PairLists.h"

#include <QByteArray>

namespace quill {

// The text formats of flashcard programs. Writers take entries as readableUtf8 text; readers
// give pairs as UTF-8 entry bytes and throw Failure "line L, column C: ..." for malformed text.

// Header lines "#separator:tab", "#html:false", "#columns:Front<TAB>Back", then one pair a line
// (LF). A field holding a tab, a quote or starting with "#" is quoted, inner quotes doubled.
QByteArray writeAnkiText(const PairLists& pairs);
// Honours the header lines "#separator:" (Comma, Semicolon, Tab, Space, Pipe, Colon or the
// character), "#html:true" (tags stripped, entities decoded), "#columns:" and the "column:"
// headers of tags, deck, note type and GUID (those columns are skipped). Without a separator
// header, the first of tab, "|", ";" and "," in the first line separates. Other lines starting
// with "#" are comments.
PairLists readAnkiText(QByteArrayView text);

// RFC 4180: header line "Word,Meaning", CR LF, a field quoted when it holds a comma, a quote or
// a line break; a UTF-8 byte order mark first when asked for.
QByteArray writeCsv(const PairLists& pairs, bool byteOrderMark);
// A first line "Word,Meaning" is taken for the header; fields past the second are ignored.
PairLists readCsv(QByteArrayView text);

// Two fields a line separated by a tab, LF, no quoting. Throws Failure when a pair holds a tab
// or has no word (the first such pair and their count).
QByteArray writeTsv(const PairLists& pairs);
PairLists readTsv(QByteArrayView text);

} // namespace quill
