#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

class QTextDocument;

namespace quill {

// Sees how many of a notes file's bytes have gone into the document, now and then; false ends
// the load there.
using LoadWatch = std::function<bool(qsizetype bytesDone)>;

// Fills the document from a notes file's bytes: rich text when the bytes start with "{\rtf"
// (after an optional UTF-8 byte order mark), plain text otherwise (UTF-8 with or without a
// byte order mark, UTF-16 with a byte order mark, else Windows-1252). NUL bytes are dropped
// and CR LF, lone CR and lone LF all end a paragraph. Replaces the whole content; never fails.
// A document with a run of more than a thousand characters without a blank wraps anywhere,
// any other at word boundaries first (the wrap mode of its default text option): laid out at
// word boundaries, such a run takes time that grows with its square. Paragraphs longer than
// NotesFootprint::LongParagraph keep their layout between paints.
void loadNotes(QByteArrayView bytes, QTextDocument& document);
// The same, watched: false when the watch ended the load, the document then holding part of
// the file.
bool loadNotes(QByteArrayView bytes, QTextDocument& document, const LoadWatch& watch);

// The document as rich text (\rtf1\ansi\ansicpg1252 with font and colour tables).
QByteArray saveNotes(const QTextDocument& document);

// True when the bytes are rich text by the rule above.
bool isRichText(QByteArrayView bytes);

} // namespace quill
