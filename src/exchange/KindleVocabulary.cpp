#include "exchange/KindleVocabulary.h"

#include "core/EntryList.h"
#include "core/Failure.h"
#include "exchange/HashSlots.h"
#include "exchange/PairCollector.h"
#include "exchange/SqliteDatabase.h"
#include "exchange/SqliteQuery.h"

#include <QSet>

#include <algorithm>
#include <functional>
#include <string_view>
#include <vector>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

const QString kind = u"a Kindle vocabulary"_s;

// The lists are reserved for the text a database may hold, up to this much address space.
constexpr qint64 maxReservation = qint64(1) << 30;

std::size_t hashOf(QByteArrayView bytes) {
    return std::hash<std::string_view>()(std::string_view(bytes.data(), std::size_t(bytes.size())));
}

void append(EntryList& list, QByteArrayView entry) {
    if (!list.append(entry))
        throw Failure(u"List too large"_s);
}

// The lookups of each word that the options let through, in flat lists: a vocabulary may hold
// a million of them.
struct Met {
    qint64 first;      // milliseconds
    qint64 latest;     // milliseconds
    qsizetype usageAt; // the latest lookup's sentence
};

struct Lookups {
    EntryList keys;       // WORDS.id of each word looked up
    EntryList usages;     // sentences; a later lookup appends its own
    std::vector<Met> met; // per key
    HashSlots byKey;

    qsizetype find(QByteArrayView key, std::size_t hash) const {
        return byKey.find(hash, [&](qsizetype i) { return keys.at(i) == key; });
    }
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

Lookups lookupsByWord(const SqliteDatabase& database, const ImportOptions& options) {
    const QSet<QByteArray> books =
        options.book ? booksTitled(database, *options.book) : QSet<QByteArray>();
    const bool context = options.meaning.value_or(MeaningSource::Context) == MeaningSource::Context;
    Lookups lookups;
    // Filled without growing: memory that is reserved but never touched costs nothing, and
    // growing would copy what is there to fresh memory again and again.
    const qint64 bytes = std::min(database.byteSize(), maxReservation);
    const qint64 rows = std::min(database.rowCountHint("LOOKUPS"), bytes / 4);
    lookups.keys.reserve(bytes, rows);
    lookups.usages.reserve(bytes, rows);
    lookups.met.reserve(std::size_t(rows));
    lookups.byKey.reserve(rows);
    SqliteQuery query(database, "SELECT word_key, book_key, usage, timestamp FROM LOOKUPS");
    while (query.next()) {
        if (options.book && !books.contains(query.bytes(1).toByteArray()))
            continue;
        const QByteArrayView key = query.bytes(0);
        const qint64 time = query.integer(3);
        const std::size_t hash = hashOf(key);
        const qsizetype found = lookups.find(key, hash);
        if (found < 0) {
            lookups.byKey.insert(hash, lookups.keys.size());
            append(lookups.keys, key);
            lookups.met.push_back({time, time, lookups.usages.size()});
            append(lookups.usages, context ? query.bytes(2) : QByteArrayView());
            continue;
        }
        Met& met = lookups.met[std::size_t(found)];
        met.first = std::min(met.first, time);
        if (time >= met.latest) {
            met.latest = time;
            met.usageAt = lookups.usages.size();
            append(lookups.usages, context ? query.bytes(2) : QByteArrayView());
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

struct Word {
    qint64 met;        // the first lookup, or the word's own time without one
    qsizetype row;     // keeps words met at the same time in their order
    qsizetype lookups; // index in Lookups, -1 for none
};

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
    const Lookups lookups = lookupsByWord(database, options);

    const qint64 bytes = std::min(database.byteSize(), maxReservation);
    const qint64 rows = std::min(database.rowCountHint("WORDS"), bytes / 4);
    EntryList texts;
    texts.reserve(bytes, rows);
    std::vector<Word> words;
    words.reserve(std::size_t(rows));
    SqliteQuery query(database, "SELECT id, word, lang, timestamp FROM WORDS");
    while (query.next()) {
        if (options.language && !ofLanguage(query.bytes(2), *options.language))
            continue;
        const qsizetype found = lookups.find(query.bytes(0), hashOf(query.bytes(0)));
        // A word without a lookup in the books asked for was not met there.
        if (found < 0 && options.book)
            continue;
        const qint64 met = found < 0 ? query.integer(3) : lookups.met[std::size_t(found)].first;
        words.push_back({met, texts.size(), found});
        append(texts, query.bytes(1));
    }
    std::sort(words.begin(), words.end(), [](const Word& a, const Word& b) {
        return a.met != b.met ? a.met < b.met : a.row < b.row;
    });
    // Each word is there once: a repeated pair is two words that read alike.
    PairCollector pairs(PairCollector::Repeats::Keep);
    pairs.reserve(bytes, qsizetype(words.size()));
    for (const Word& word : words) {
        const QByteArrayView usage =
            word.lookups < 0 ? QByteArrayView()
                             : lookups.usages.at(lookups.met[std::size_t(word.lookups)].usageAt);
        pairs.add(texts.at(word.row), usage);
    }
    return pairs.take();
}

} // namespace quill
