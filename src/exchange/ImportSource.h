#pragma once

#include "exchange/FlashcardFormat.h"
#include "exchange/PairLists.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace quill {

// A file to import may be as large as two lists can be.
inline constexpr qsizetype MaxImportBytes = qsizetype(1) << 33;

// What import reads: a file, or the bytes of a stream.
struct ImportSource {
    QString path;     // the file; empty for bytes
    QByteArray bytes; // the stream's bytes when there is no path
};

// Memory an archive may unpack into: an eighth of what the system has available.
qint64 unpackBudget();

// The pairs of any file import reads, in the order they were met. With a format given, the file
// is flashcard text of that format. Else its content tells: an SQLite database with the tables
// of a Kindle or KOReader vocabulary, a Kobo word list or an Anki collection; a zip holding an
// Anki collection; a dictionary history; else flashcard text as detectFlashcardFormat finds it
// (the separator option makes it separated text). The source is never written and nothing is
// left beside it. Throws OptionFailure for an option the kind cannot honour, OneColumnFailure
// as readFlashcards does, Failure naming the cause for anything else (no file name in it).
PairLists readImportSource(const ImportSource& source, std::optional<FlashcardFormat> format,
                           const ImportOptions& options, qint64 memoryBudget = unpackBudget());

} // namespace quill
