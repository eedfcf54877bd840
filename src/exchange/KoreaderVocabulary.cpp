#include "exchange/KoreaderVocabulary.h"

#include "exchange/PairCollector.h"
#include "exchange/SqliteDatabase.h"
#include "exchange/SqliteQuery.h"

using namespace Qt::StringLiterals;

namespace quill {

bool isKoreaderVocabulary(const SqliteDatabase& database) {
    return database.hasTable(u"vocabulary"_s) && database.hasTable(u"title"_s);
}

PairLists readKoreaderVocabulary(const SqliteDatabase& database, const ImportOptions& options) {
    const QString kind = u"a KOReader vocabulary"_s;
    database.requireColumns(
        kind, u"vocabulary"_s,
        {u"word"_s, u"title_id"_s, u"create_time"_s, u"prev_context"_s, u"next_context"_s});
    database.requireColumns(kind, u"title"_s, {u"id"_s, u"name"_s});
    const bool context = options.meaning.value_or(MeaningSource::Context) == MeaningSource::Context;
    SqliteQuery query(database,
                      "SELECT v.word, v.prev_context, v.next_context, t.name FROM vocabulary v "
                      "LEFT JOIN title t ON t.id = v.title_id ORDER BY v.create_time, v.rowid");
    // Each word is there once: a repeated pair is two words that read alike.
    PairCollector pairs(PairCollector::Repeats::Keep);
    QByteArray sentence;
    while (query.next()) {
        if (options.book &&
            !QString::fromUtf8(query.bytes(3)).contains(*options.book, Qt::CaseInsensitive))
            continue;
        sentence.clear();
        // The contexts hold the text on either side of the word, blanks included.
        if (context && !(query.bytes(1).isEmpty() && query.bytes(2).isEmpty()))
            sentence.append(query.bytes(1)).append(query.bytes(0)).append(query.bytes(2));
        pairs.add(query.bytes(0), sentence.trimmed());
    }
    return pairs.take();
}

} // namespace quill
