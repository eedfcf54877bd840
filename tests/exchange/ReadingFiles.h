#pragma once

// Builds the files e-readers, dictionaries and flashcard programs keep, from their schemas,
// through the same libraries the readers use.

#include "support/TestSupport.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryFile>

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <zip.h>
#include <zstd.h>

#include <utility>
#include <vector>

namespace quill::test {

inline constexpr const char* kindleSchema =
    "CREATE TABLE WORDS(id TEXT PRIMARY KEY NOT NULL, word TEXT, stem TEXT, lang TEXT, "
    "category INTEGER DEFAULT 0, timestamp INTEGER DEFAULT 0, profileid TEXT);"
    "CREATE TABLE LOOKUPS(id TEXT PRIMARY KEY NOT NULL, word_key TEXT, book_key TEXT, "
    "dict_key TEXT, pos TEXT, usage TEXT, timestamp INTEGER DEFAULT 0);"
    "CREATE TABLE BOOK_INFO(id TEXT PRIMARY KEY NOT NULL, asin TEXT, guid TEXT, lang TEXT, "
    "title TEXT, authors TEXT);";
inline constexpr const char* koreaderSchema =
    "CREATE TABLE vocabulary(word TEXT NOT NULL UNIQUE PRIMARY KEY, title_id INTEGER, "
    "create_time INTEGER NOT NULL, review_time INTEGER, due_time INTEGER NOT NULL, "
    "review_count INTEGER NOT NULL DEFAULT 0, prev_context TEXT, next_context TEXT, "
    "streak_count INTEGER NOT NULL DEFAULT 0, highlight TEXT);"
    "CREATE TABLE title(id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT UNIQUE, "
    "filter INTEGER NOT NULL DEFAULT 1);";
inline constexpr const char* koboSchema =
    "CREATE TABLE WordList(Text TEXT NOT NULL, VolumeId TEXT NOT NULL, DictSuffix TEXT, "
    "DateCreated TEXT, PRIMARY KEY(Text));"
    "CREATE TABLE content(ContentID TEXT PRIMARY KEY, Title TEXT);";
// The notes, cards and col tables of a collection; the deck names go in col.decks (older
// collections) or a decks table (newer ones).
inline constexpr const char* ankiSchema =
    "CREATE TABLE col(id INTEGER PRIMARY KEY, crt INTEGER, mod INTEGER, scm INTEGER, "
    "ver INTEGER, dty INTEGER, usn INTEGER, ls INTEGER, conf TEXT, models TEXT, decks TEXT, "
    "dconf TEXT, tags TEXT);"
    "CREATE TABLE notes(id INTEGER PRIMARY KEY, guid TEXT, mid INTEGER, mod INTEGER, "
    "usn INTEGER, tags TEXT, flds TEXT, sfld INTEGER, csum INTEGER, flags INTEGER, data TEXT);"
    "CREATE TABLE cards(id INTEGER PRIMARY KEY, nid INTEGER, did INTEGER, ord INTEGER, "
    "mod INTEGER, usn INTEGER, type INTEGER, queue INTEGER, due INTEGER, ivl INTEGER, "
    "factor INTEGER, reps INTEGER, lapses INTEGER, left INTEGER, odue INTEGER, odid INTEGER, "
    "flags INTEGER, data TEXT);";

// Runs the SQL on a new database file at the path.
inline void writeDatabase(const QString& path, const QByteArray& sql) {
    QFile::remove(path);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    char* error = nullptr;
    const int status = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error);
    EXPECT_EQ(status, SQLITE_OK) << (error != nullptr ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

// The bytes of a database the SQL makes.
inline QByteArray databaseBytes(const QByteArray& sql) {
    QTemporaryFile file;
    EXPECT_TRUE(file.open());
    writeDatabase(file.fileName(), sql);
    return fileBytes(file.fileName());
}

using ZipEntries = std::vector<std::pair<const char*, QByteArray>>;

inline QByteArray zipOf(const ZipEntries& entries) {
    QTemporaryFile file;
    EXPECT_TRUE(file.open());
    int code = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(file.fileName()).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    EXPECT_NE(archive, nullptr);
    for (const auto& [name, bytes] : entries) {
        zip_source_t* source =
            zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        EXPECT_GE(zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8), 0);
    }
    EXPECT_EQ(zip_close(archive), 0);
    return fileBytes(file.fileName());
}

// One zstd frame; with `statedSize` false the frame does not say how large its content is, as
// a streaming writer leaves it.
inline QByteArray zstdOf(const QByteArray& bytes, bool statedSize = true) {
    ZSTD_CCtx* context = ZSTD_createCCtx();
    ZSTD_CCtx_setParameter(context, ZSTD_c_contentSizeFlag, statedSize ? 1 : 0);
    QByteArray out(qsizetype(ZSTD_compressBound(std::size_t(bytes.size()))), Qt::Uninitialized);
    const std::size_t size = ZSTD_compress2(context, out.data(), std::size_t(out.size()),
                                            bytes.constData(), std::size_t(bytes.size()));
    ZSTD_freeCCtx(context);
    EXPECT_FALSE(ZSTD_isError(size));
    out.resize(qsizetype(size));
    return out;
}

} // namespace quill::test
