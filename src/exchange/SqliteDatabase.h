#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct sqlite3;

namespace quill {

// An SQLite database that import reads and never writes. A file is opened read-only and
// immutable, so SQLite neither takes locks nor leaves a journal, WAL or shared-memory file
// beside it (a reader's storage is often mounted from the device itself). Bytes in memory (a
// collection unpacked from a zip) are read where they are.
class SqliteDatabase {
public:
    // Throws Failure "a damaged or encrypted SQLite database (...)" when the schema cannot be
    // read, and the open failure's cause when the file cannot be opened.
    explicit SqliteDatabase(const QString& path);
    // The database keeps a copy of the bytes' data pointer: they must outlive it.
    explicit SqliteDatabase(const QByteArray& bytes);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    sqlite3* handle() const { return db_; }

    // Whether the table exists (names compared as SQLite does, ignoring ASCII case).
    bool hasTable(const QString& table) const;
    // The names of those columns that the table lacks; all of them when the table is missing.
    QStringList missingColumns(const QString& table, const QStringList& columns) const;
    // Throws Failure "<what> whose table T lacks the column C" for the first missing column.
    void requireColumns(const QString& what, const QString& table,
                        const QStringList& columns) const;

    // The size of the file or the bytes: a bound for the text any of its queries gives (the
    // header's own page count may claim anything).
    qint64 byteSize() const { return byteSize_; }
    // The largest rowid of a table: about as many rows as it has, found without a scan (0 for
    // a table without rowids).
    qint64 rowCountHint(const char* table) const;

    // Throws Failure naming the database's last error as damage, for a query that failed.
    [[noreturn]] void failQuery() const;

private:
    void checkSchema();

    sqlite3* db_ = nullptr;
    qint64 byteSize_ = 0;
};

// The first bytes of every SQLite database file.
bool hasSqliteHeader(QByteArrayView head);

} // namespace quill
