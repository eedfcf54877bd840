#include "exchange/KindleVocabulary.h"

#include "exchange/PairCollector.h"
#include "exchange/SqliteDatabase.h"
#include "exchange/SqliteQuery.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

const QString kind = u"a Kindle vocabulary"_s;

// The lookups of one word that the options let through.
struct Lookups {
    qint64 first = 0;  // milliseconds
    qint64 latest = 0; // milliseconds
    QByteArray usage;  // the sentence of the latest lookup
};

struct Word {
    qint64 met = 0;
    qsizetype row = 0;
    QByteArray word;
    QByteArray meaning;
};

// The BOOK_INFO ids of the books whose titles contain the text.
QSet<QByteArray> booksTitled(const SqliteDatabase& database, const QString& text) {
    QSet<QByteArray> books;
    SqliteQuery query(database, "SELECT id, title FROM BOOK_INFO");
    while (query.next()) {
        if (QString::fromUtf8(query.bytes(1)).contains(text, Qt::CaseInsensitive))
            books.insert(query.bytes(0).toByteArray());
    }
    return books;
}

QHash<QByteArray, Lookups> lookupsByWord(const SqliteDatabase& database,
                                         const ImportOptions& options) {
    const QSet<QByteArray> books =
        options.book ? booksTitled(database, *options.book) : QSet<QByteArray>();
    QHash<QByteArray, Lookups> lookups;
    SqliteQuery query(database, "SELECT word_key, book_key, usage, timestamp FROM LOOKUPS");
    while (query.next()) {
        if (options.book && !books.contains(query.bytes(1).toByteArray()))
            continue;
        const qint64 time = query.integer(3);
        const auto found = lookups.find(query.bytes(0).toByteArray());
        if (found == lookups.end()) {
            lookups.insert(query.bytes(0).toByteArray(),
                           Lookups{time, time, query.bytes(2).toByteArray()});
            continue;
        }
        found->first = std::min(found->first, time);
        if (time >= found->latest) {
            found->latest = time;
            found->usage = query.bytes(2).toByteArray();
        }
    }
    return lookups;
}

bool ofLanguage(QByteArrayView lang, const QString& language) {
    const QString text = QString::fromUtf8(lang);
    if (!text.startsWith(language, Qt::CaseInsensitive))
        return false;
    return text.size() == language.size() || text[language.size()] == u'-' ||
           text[language.size()] == u'_';
}

} // namespace

bool isKindleVocabulary(const SqliteDatabase& database) {
    return database.hasTable(u"WORDS"_s) && database.hasTable(u"LOOKUPS"_s);
}

PairLists readKindleVocabulary(const SqliteDatabase& database, const ImportOptions& options) {
    database.requireColumns(kind, u"WORDS"_s, {u"id"_s, u"word"_s, u"lang"_s, u"timestamp"_s});
    database.requireColumns(kind, u"LOOKUPS"_s,
                            {u"word_key"_s, u"book_key"_s, u"usage"_s, u"timestamp"_s});
    if (options.book)
        database.requireColumns(kind, u"BOOK_INFO"_s, {u"id"_s, u"title"_s});
    QHash<QByteArray, Lookups> lookups = lookupsByWord(database, options);

    std::vector<Word> words;
    SqliteQuery query(database, "SELECT id, word, lang, timestamp FROM WORDS");
    while (query.next()) {
        if (options.language && !ofLanguage(query.bytes(2), *options.language))
            continue;
        const auto found = lookups.find(query.bytes(0).toByteArray());
        // A word without a lookup of the books asked for was not met there.
        if (found == lookups.end() && options.book)
            continue;
        Word word{query.integer(3), qsizetype(words.size()), query.bytes(1).toByteArray(), {}};
        if (found != lookups.end()) {
            word.met = found->first;
            if (options.meaning.value_or(MeaningSource::Context) == MeaningSource::Context)
                word.meaning = std::move(found->usage);
        }
        words.push_back(std::move(word));
    }
    std::sort(words.begin(), words.end(), [](const Word& a, const Word& b) {
        return a.met != b.met ? a.met < b.met : a.row < b.row;
    });
    PairCollector pairs;
    for (const Word& word : words)
        pairs.add(word.word, word.meaning);
    return pairs.take();
}

} // namespace quill
