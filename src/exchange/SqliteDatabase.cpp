#include "exchange/SqliteDatabase.h"

#include "core/Failure.h"
#include "exchange/SqliteQuery.h"

#include <QFileInfo>
#include <QUrl>

#include <algorithm>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

QString lastError(sqlite3* db) {
    return db != nullptr ? QString::fromUtf8(sqlite3_errmsg(db)) : u"out of memory"_s;
}

} // namespace

bool hasSqliteHeader(QByteArrayView head) {
    return head.startsWith(QByteArrayView("SQLite format 3\0", 16));
}

SqliteDatabase::SqliteDatabase(const QString& path) : byteSize_(QFileInfo(path).size()) {
    // Percent-encoded, so a "?" or "#" in a folder name cannot end the path early.
    const QByteArray uri =
        "file:" + QUrl::toPercentEncoding(QFileInfo(path).absoluteFilePath(), "/") +
        "?mode=ro&immutable=1";
    const int status =
        sqlite3_open_v2(uri.constData(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    if (status != SQLITE_OK) {
        const QString cause = lastError(db_);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw Failure(u"cannot open the SQLite database (%1)"_s.arg(cause));
    }
    checkSchema();
}

SqliteDatabase::SqliteDatabase(const QByteArray& bytes) : byteSize_(bytes.size()) {
    if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw Failure(u"cannot open the SQLite database (out of memory)"_s);
    }
    auto* data = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.constData()));
    const int status = sqlite3_deserialize(db_, "main", data, bytes.size(), bytes.size(),
                                           SQLITE_DESERIALIZE_READONLY);
    if (status != SQLITE_OK) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw Failure(u"cannot open the SQLite database (out of memory)"_s);
    }
    checkSchema();
}

SqliteDatabase::~SqliteDatabase() {
    sqlite3_close_v2(db_);
}

void SqliteDatabase::checkSchema() {
    // Reading the schema reads the first page, which tells a database from damage or
    // encryption; the destructor does not run for a constructor that throws.
    sqlite3_stmt* statement = nullptr;
    int status =
        sqlite3_prepare_v2(db_, "SELECT count(*) FROM sqlite_schema", -1, &statement, nullptr);
    if (status == SQLITE_OK)
        status = sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (status == SQLITE_ROW)
        return;
    const QString cause = lastError(db_);
    sqlite3_close_v2(db_);
    db_ = nullptr;
    throw Failure(u"a damaged or encrypted SQLite database (%1)"_s.arg(cause));
}

bool SqliteDatabase::hasTable(const QString& table) const {
    SqliteQuery query(*this, "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ?1 "
                             "COLLATE NOCASE");
    query.bind(1, table);
    return query.next();
}

QStringList SqliteDatabase::missingColumns(const QString& table, const QStringList& columns) const {
    QStringList present;
    SqliteQuery query(*this, "SELECT name FROM pragma_table_info(?1)");
    query.bind(1, table);
    while (query.next())
        present << QString::fromUtf8(query.bytes(0)).toLower();
    QStringList missing;
    for (const QString& column : columns) {
        if (!present.contains(column.toLower()))
            missing << column;
    }
    return missing;
}

void SqliteDatabase::requireColumns(const QString& what, const QString& table,
                                    const QStringList& columns) const {
    if (!hasTable(table))
        throw Failure(u"%1 without the table %2"_s.arg(what, table));
    if (const QStringList missing = missingColumns(table, columns); !missing.isEmpty())
        throw Failure(u"%1 whose table %2 lacks the column %3"_s.arg(what, table, missing[0]));
}

qint64 SqliteDatabase::rowCountHint(const char* table) const {
    sqlite3_stmt* statement = nullptr;
    const QByteArray sql = "SELECT max(rowid) FROM \"" + QByteArray(table) + '"';
    qint64 rows = 0;
    if (sqlite3_prepare_v2(db_, sql.constData(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        rows = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return std::max<qint64>(rows, 0);
}

void SqliteDatabase::failQuery() const {
    throw Failure(u"a damaged SQLite database (%1)"_s.arg(lastError(db_)));
}

} // namespace quill
