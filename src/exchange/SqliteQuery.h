#pragma once

#include <QByteArrayView>
#include <QString>

struct sqlite3_stmt;

namespace quill {

class SqliteDatabase;

// One prepared statement over a SqliteDatabase, finalized with it. Every failure (to prepare,
// to step) throws Failure through SqliteDatabase::failQuery.
class SqliteQuery {
public:
    SqliteQuery(const SqliteDatabase& database, const char* sql);
    ~SqliteQuery();
    SqliteQuery(const SqliteQuery&) = delete;
    SqliteQuery& operator=(const SqliteQuery&) = delete;

    // Text parameters, 1-based as in SQL; the text is copied.
    void bind(int index, QStringView text);
    // True while there is a row.
    bool next();
    // A column's bytes as stored (UTF-8 text); empty for NULL. Valid until the next step.
    QByteArrayView bytes(int column) const;
    qint64 integer(int column) const;
    bool isNull(int column) const;

private:
    const SqliteDatabase& database_;
    sqlite3_stmt* statement_ = nullptr;
};

} // namespace quill
