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
#include <utility>
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
    QByteArray line;
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
            append(lookups.usages, context ? onOneLine(query.bytes(2), line) : QByteArrayView());
            continue;
        }
        Met& met = lookups.met[std::size_t(found)];
        met.first = std::min(met.first, time);
        if (time >= met.latest) {
            met.latest = time;
            met.usageAt = lookups.usages.size();
            append(lookups.usages, context ? onOneLine(query.bytes(2), line) : QByteArrayView());
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

// Where a word's pair comes from: its text, and the sentence of its latest lookup (-1: none).
std::pair<qsizetype, qsizetype> sources(const Lookups& lookups, const Word& word) {
    return {word.row, word.lookups < 0 ? -1 : lookups.met[std::size_t(word.lookups)].usageAt};
}

// The pairs of the words in their order. Each word is there once, so a pair that repeats is
// two words that read alike and stays. Words stored one after the other whose sentences are
// too (words looked up once, in the order first met) are taken as a run: a long run shares
// the stored text instead of copying it again.
PairLists inOrder(const EntryList& texts, const Lookups& lookups, const std::vector<Word>& words) {
    // Short runs are copied: each shared one is a stretch the lists keep track of.
    constexpr qsizetype sharedRun = 4096;
    PairLists pairs;
    for (std::size_t start = 0; start < words.size();) {
        const auto [text, usage] = sources(lookups, words[start]);
        std::size_t end = start + 1;
        while (usage >= 0 && end < words.size() &&
               sources(lookups, words[end]) ==
                   std::pair(text + qsizetype(end - start), usage + qsizetype(end - start)))
            ++end;
        const auto length = qsizetype(end - start);
        if (length >= sharedRun) {
            if (!pairs.words.appendRange(texts, text, text + length) ||
                !pairs.meanings.appendRange(lookups.usages, usage, usage + length))
                throw Failure(u"List too large"_s);
        } else {
            for (std::size_t i = start; i < end; ++i) {
                const auto [ownText, ownUsage] = sources(lookups, words[i]);
                append(pairs.words, texts.at(ownText));
                append(pairs.meanings,
                       ownUsage < 0 ? QByteArrayView() : lookups.usages.at(ownUsage));
            }
        }
        start = end;
    }
    return pairs;
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
    const Lookups lookups = lookupsByWord(database, options);

    const qint64 bytes = std::min(database.byteSize(), maxReservation);
    const qint64 rows = std::min(database.rowCountHint("WORDS"), bytes / 4);
    EntryList texts; // each on one line, as a list entry
    texts.reserve(bytes, rows);
    QByteArray line;
    std::vector<Word> words;
    words.reserve(std::size_t(rows));
    qsizetype previous = -1;
    SqliteQuery query(database, "SELECT id, word, lang, timestamp FROM WORDS");
    while (query.next()) {
        if (options.language && !ofLanguage(query.bytes(2), *options.language))
            continue;
        // Words are mostly stored in the order of their first lookups: the key after the last
        // one found is tried before the table, which spares a lookup all over memory.
        const QByteArrayView key = query.bytes(0);
        const qsizetype next = previous + 1;
        const qsizetype found = next < lookups.keys.size() && lookups.keys.at(next) == key
                                    ? next
                                    : lookups.find(key, hashOf(key));
        if (found >= 0)
            previous = found;
        // A word without a lookup in the books asked for was not met there.
        if (found < 0 && options.book)
            continue;
        const qint64 met = found < 0 ? query.integer(3) : lookups.met[std::size_t(found)].first;
        words.push_back({met, texts.size(), found});
        append(texts, onOneLine(query.bytes(1), line));
    }
    std::sort(words.begin(), words.end(), [](const Word& a, const Word& b) {
        return a.met != b.met ? a.met < b.met : a.row < b.row;
    });
    return inOrder(texts, lookups, words);
}

} // namespace quill
