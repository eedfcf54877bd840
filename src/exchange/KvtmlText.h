#pragma once

#include "exchange/FlashcardFormat.h"

#include <QByteArray>

namespace quill {

// KVTML 2.0: the XML declaration on the first line and the kvtml document type on the second
// (readers look for "kvtml" there), two identifiers (0: words, 1: meanings, each with its locale
// when given) and one entry a pair with translations 0 and 1. Throws Failure when a pair holds
// a character XML cannot (a control character other than tab, a byte 0, U+FFFE, U+FFFF).
QByteArray writeKvtml(const PairLists& pairs, const ExportOptions& options);

// Takes, from each entry, the translations of the document's first two identifiers (0 and 1
// when it declares none). Throws Failure "line L, column C: ..." for malformed XML, another
// root element or version, and a text with a line break.
PairLists readKvtml(QByteArrayView text);

} // namespace quill
