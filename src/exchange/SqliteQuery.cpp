#include "exchange/SqliteQuery.h"

#include "exchange/SqliteDatabase.h"

#include <sqlite3.h>

namespace quill {

SqliteQuery::SqliteQuery(const SqliteDatabase& database, const char* sql) : database_(database) {
    if (sqlite3_prepare_v2(database.handle(), sql, -1, &statement_, nullptr) != SQLITE_OK)
        database.failQuery();
}

SqliteQuery::~SqliteQuery() {
    sqlite3_finalize(statement_);
}

void SqliteQuery::bind(int index, QStringView text) {
    const QByteArray utf8 = text.toUtf8();
    if (sqlite3_bind_text(statement_, index, utf8.constData(), int(utf8.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK)
        database_.failQuery();
}

bool SqliteQuery::next() {
    const int status = sqlite3_step(statement_);
    if (status == SQLITE_ROW)
        return true;
    if (status != SQLITE_DONE)
        database_.failQuery();
    return false;
}

QByteArrayView SqliteQuery::bytes(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return QByteArrayView(text, sqlite3_column_bytes(statement_, column));
}

qint64 SqliteQuery::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

bool SqliteQuery::isNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

} // namespace quill
