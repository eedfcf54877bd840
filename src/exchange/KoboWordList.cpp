#include "exchange/KoboWordList.h"

#include "exchange/PairCollector.h"
#include "exchange/SqliteDatabase.h"
#include "exchange/SqliteQuery.h"

using namespace Qt::StringLiterals;

namespace quill {

bool isKoboWordList(const SqliteDatabase& database) {
    return database.hasTable(u"WordList"_s);
}

PairLists readKoboWordList(const SqliteDatabase& database) {
    database.requireColumns(u"a Kobo word list"_s, u"WordList"_s, {u"Text"_s, u"DateCreated"_s});
    // The dates are ISO 8601 texts, which sort as they were made.
    SqliteQuery query(database, "SELECT Text FROM WordList ORDER BY DateCreated, rowid");
    PairCollector pairs;
    while (query.next())
        pairs.add(query.bytes(0), {});
    return pairs.take();
}

} // namespace quill
