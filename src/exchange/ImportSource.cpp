#include "exchange/ImportSource.h"

#include "core/AvailableMemory.h"
#include "exchange/AnkiCollection.h"
#include "exchange/AnkiPackage.h"
#include "exchange/DictionaryHistory.h"
#include "exchange/KindleVocabulary.h"
#include "exchange/KoboWordList.h"
#include "exchange/KoreaderVocabulary.h"
#include "exchange/OptionFailure.h"
#include "exchange/SqliteDatabase.h"
#include "exchange/ZipArchive.h"
#include "storage/SafeFile.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

enum Option : unsigned {
    Separator = 1,
    Meaning = 2,
    Book = 4,
    Language = 8,
    Deck = 16,
};

// Refuses the options given that the kind of file cannot honour: the user would get other
// pairs than asked for.
void refuseOptions(const ImportOptions& options, unsigned honoured, const QString& kind) {
    const std::pair<bool, std::pair<Option, const char16_t*>> given[] = {
        {options.separator != 0, {Separator, u"--separator"}},
        {options.meaning.has_value(), {Meaning, u"--meaning"}},
        {options.book.has_value(), {Book, u"--book"}},
        {options.language.has_value(), {Language, u"--language"}},
        {options.deck.has_value(), {Deck, u"--deck"}}};
    for (const auto& [set, option] : given) {
        if (set && (honoured & option.first) == 0)
            throw OptionFailure(
                u"%1 does not go with %2"_s.arg(QString::fromUtf16(option.second), kind));
    }
}

QByteArray head(const ImportSource& source) {
    if (source.path.isEmpty())
        return source.bytes.first(std::min<qsizetype>(source.bytes.size(), 16));
    // Reading the whole file names the cause when it is none (a folder, a pipe, missing).
    QFile file(source.path);
    if (!QFileInfo(source.path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    return file.read(16);
}

PairLists readDatabase(const SqliteDatabase& database, const ImportOptions& options) {
    if (isKindleVocabulary(database)) {
        refuseOptions(options, Meaning | Book | Language, u"a Kindle vocabulary"_s);
        return readKindleVocabulary(database, options);
    }
    if (isKoreaderVocabulary(database)) {
        refuseOptions(options, Meaning | Book, u"a KOReader vocabulary, which keeps no language"_s);
        return readKoreaderVocabulary(database, options);
    }
    if (isKoboWordList(database)) {
        refuseOptions(options, 0, u"a Kobo word list"_s);
        return readKoboWordList(database);
    }
    if (isAnkiCollection(database)) {
        refuseOptions(options, Deck, u"an Anki collection"_s);
        return readAnkiCollection(database, options);
    }
    throw Failure(u"an SQLite database of no kind import reads (neither a Kindle, KOReader or "
                  u"Kobo vocabulary nor an Anki collection)"_s);
}

// A byte 0 early on, without the byte order mark of UTF-16 text: no text at all, rather an
// encrypted or foreign file, which a text reader would only find not UTF-8.
bool isBinary(QByteArrayView content) {
    if (content.startsWith("\xFF\xFE") || content.startsWith("\xFE\xFF"))
        return false;
    return content.first(std::min<qsizetype>(content.size(), 4096)).contains('\0');
}

PairLists readText(const QByteArray& content, std::optional<FlashcardFormat> format,
                   const ImportOptions& options, const QString& path) {
    if (!format && isBinary(content))
        throw Failure(u"binary data of no kind import reads: neither an SQLite database, a zip "
                      u"archive nor text (an encrypted database cannot be read)"_s);
    if (!format && options.separator == 0 && isDictionaryHistory(content)) {
        refuseOptions(options, 0, u"a dictionary history"_s);
        return readDictionaryHistory(content);
    }
    refuseOptions(options, Separator, u"flashcard text"_s);
    if (!format) {
        format = detectFlashcardFormat(path, content);
        // A separator given makes it separated text, whatever the name says.
        if (options.separator != 0 && format != FlashcardFormat::Anki)
            format = FlashcardFormat::Csv;
    }
    return readFlashcards(*format, content, options);
}

} // namespace

qint64 unpackBudget() {
    return availableMemoryBytes() / 8;
}

PairLists readImportSource(const ImportSource& source, std::optional<FlashcardFormat> format,
                           const ImportOptions& options, qint64 memoryBudget) {
    const bool fromPath = !source.path.isEmpty();
    if (!format) {
        const QByteArray start = head(source);
        if (hasSqliteHeader(start)) {
            refuseOptions(options, Meaning | Book | Language | Deck, u"an SQLite database"_s);
            const auto database = fromPath ? std::make_unique<SqliteDatabase>(source.path)
                                           : std::make_unique<SqliteDatabase>(source.bytes);
            return readDatabase(*database, options);
        }
        if (hasZipHeader(start)) {
            refuseOptions(options, Deck, u"an Anki package"_s);
            const auto archive = fromPath ? std::make_unique<ZipArchive>(source.path)
                                          : std::make_unique<ZipArchive>(source.bytes);
            return readAnkiPackage(*archive, options, memoryBudget);
        }
    }
    if (!fromPath)
        return readText(source.bytes, format, options, {});
    return readText(readWholeFile(source.path, MaxImportBytes), format, options, source.path);
}

} // namespace quill
