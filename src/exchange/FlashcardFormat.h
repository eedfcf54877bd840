#pragma once

#include "exchange/PairLists.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace quill {

// The file formats flashcard programs exchange pairs in.
enum class FlashcardFormat {
    Anki,  // tab-separated text with "#separator:" style header lines
    Csv,   // RFC 4180, header line "Word,Meaning"
    Tsv,   // two tab-separated fields a line, no quoting
    Kvtml, // KVTML 2.0, the XML vocabulary format of the KDE learning programs
    Words, // one word a line, no meanings; import only
};

struct ExportOptions {
    bool byteOrderMark = false; // csv only: for spreadsheet programs that want one
    QString title;              // kvtml: the document's title
    QString wordLocale;         // kvtml: the identifiers' locales, none when empty
    QString meaningLocale;
};

// Where the meanings of an e-reader's vocabulary come from.
enum class MeaningSource {
    Context, // the sentence the word was met in
    None,    // empty meanings
};

struct ImportOptions {
    char separator = 0; // csv and anki: the field separator (0: found in the text)
    // E-reader vocabularies (Kindle, KOReader); unset: the context.
    std::optional<MeaningSource> meaning;
    // E-reader vocabularies: only the words met in books whose titles contain it (any case).
    std::optional<QString> book;
    // Kindle vocabulary: only the words of this language ("en" also takes "en-GB").
    std::optional<QString> language;
    // Anki collections: only the notes with a card in this deck or a deck below it (any case).
    std::optional<QString> deck;
};

// "anki", "csv", "tsv", "kvtml" or "words", ignoring case.
std::optional<FlashcardFormat> flashcardFormatNamed(QStringView name);

// What a file to import holds: its content decides (an Anki header line, a KVTML root), then its
// extension, then the shape of its first line (a tab makes it tab-separated, else comma-separated).
FlashcardFormat detectFlashcardFormat(const QString& fileName, QByteArrayView content);

// Entries become UTF-8 text (readableUtf8). Throws Failure naming the first pair the format
// cannot hold, and how many such pairs there are. Words cannot be written.
QByteArray writeFlashcards(FlashcardFormat format, const PairLists& pairs,
                           const ExportOptions& options);

// Reads UTF-8 text (a byte order mark is skipped) into pairs, as entry bytes. Throws Failure
// "line L, column C: reason" for anything malformed, and for a field that holds a line break,
// which a list entry cannot; OneColumnFailure for anki, csv or tsv text that holds no line of
// two fields.
PairLists readFlashcards(FlashcardFormat format, QByteArrayView content,
                         const ImportOptions& options = {});

} // namespace quill
