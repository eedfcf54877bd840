#pragma once

#include "exchange/PairLists.h"

#include <QByteArray>

namespace quill {

// The text formats of flashcard programs. Writers take entries as readableUtf8 text; readers
// give pairs as UTF-8 entry bytes and throw Failure "line L, column C: ..." for malformed text,
// and OneColumnFailure for text in which no line holds a second field.

// Header lines "#separator:tab", "#html:false", "#columns:Front<TAB>Back", then one pair a line
// (LF). A field holding a tab, a quote or starting with "#" is quoted, inner quotes doubled.
QByteArray writeAnkiText(const PairLists& pairs);
// Honours the header lines "#separator:" (a name separatorNamed() knows, or the character),
// "#html:true" (plainFromHtml), "#columns:" and the "column:" headers of tags, deck, note type
// and GUID (those columns are skipped). Without a separator header, the first of tab, "|", ";"
// and "," in the first line separates. A separator given (not 0) goes before both. Other lines
// starting with "#" are comments.
PairLists readAnkiText(QByteArrayView text, char separator = 0);

// RFC 4180: header line "Word,Meaning", CR LF, a field quoted when it holds a comma, a quote or
// a line break; a UTF-8 byte order mark first when asked for.
QByteArray writeCsv(const PairLists& pairs, bool byteOrderMark);
// A first line "Word,Meaning" is taken for the header; fields past the second are ignored.
// Without a separator given (0), csvSeparator() finds it.
PairLists readCsv(QByteArrayView text, char separator = 0);
// The separator of comma-separated text as spreadsheet programs find it: of comma, semicolon
// and tab (counted outside quoted fields), the one in the first line that occurs as often in
// most of the first 50 lines; a tie goes to tab, then semicolon, then comma. When the first
// line holds none of them, the one on the most lines, else comma.
char csvSeparator(QByteArrayView text);

// Two fields a line separated by a tab, LF, no quoting. Throws Failure when a pair holds a tab
// or has no word (the first such pair and their count).
QByteArray writeTsv(const PairLists& pairs);
PairLists readTsv(QByteArrayView text);

// One word a line, each with an empty meaning; blank lines are skipped.
PairLists readWords(QByteArrayView text);

// The separator a name stands for: comma, semicolon, tab, space, pipe or colon (any case), or a
// single printable ASCII character other than a double quote or "#", or a tab; else 0.
char separatorNamed(QByteArrayView name);

} // namespace quill
