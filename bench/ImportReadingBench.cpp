// `quillbook import` of what readers and flashcard programs keep, at their largest: a Kindle
// vocabulary of 1,000,000 lookups (one word each) into an empty folder and into a folder of
// 1,000,000 other pairs (target 2 s each), and an Anki package of 100,000 notes in a zstd
// collection (target 1 s). Each file is built here from its schema. Prints wall and processor
// time, and whether the target was met.
#include "BenchTiming.h"
#include "app/ExchangeCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <zip.h>
#include <zstd.h>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "cannot %s\n", what);
        std::exit(1);
    }
}

// Runs the SQL, then the insert once per row with the row number bound as ?1 (and ?2 = ?1 * 7
// for a second number), in one transaction.
void buildDatabase(const QString& path, const char* schema, const char* insert, int rows) {
    sqlite3* db = nullptr;
    check(sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK, "open a database");
    check(sqlite3_exec(db, schema, nullptr, nullptr, nullptr) == SQLITE_OK, "make the tables");
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK, "begin");
    sqlite3_stmt* statement = nullptr;
    check(sqlite3_prepare_v2(db, insert, -1, &statement, nullptr) == SQLITE_OK, "prepare");
    for (int i = 0; i < rows; ++i) {
        sqlite3_bind_int64(statement, 1, i);
        check(sqlite3_step(statement) == SQLITE_DONE, "insert a row");
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK, "commit");
    sqlite3_close(db);
}

void writeZip(const QString& path, const char* name, const QByteArray& bytes) {
    int code = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    check(archive != nullptr, "make the zip");
    zip_source_t* source =
        zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
    check(zip_file_add(archive, name, source, 0) >= 0, "add to the zip");
    check(zip_close(archive) == 0, "write the zip");
}

QByteArray zstd(const QByteArray& bytes) {
    QByteArray out(qsizetype(ZSTD_compressBound(std::size_t(bytes.size()))), Qt::Uninitialized);
    const std::size_t size = ZSTD_compress(out.data(), std::size_t(out.size()), bytes.constData(),
                                           std::size_t(bytes.size()), 3);
    check(!ZSTD_isError(size), "compress");
    out.resize(qsizetype(size));
    return out;
}

void writeList(const QString& path, int count, const char* stem) {
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += stem + QByteArray::number(i) + "\r\n";
    QFile file(path);
    check(file.open(QIODevice::WriteOnly) && file.write(text) == text.size(), "write a list");
}

void timed(const char* what, const QStringList& arguments, double target) {
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = bench::processSeconds();
    const quill::ExchangeResult result =
        quill::runExchange(QStringList{u"quillbook"_s, u"import"_s} + arguments);
    const double cpu = bench::processSeconds() - cpuStart;
    const double wall = double(timer.nsecsElapsed()) / 1e9;
    std::printf("%-44s %7.3f s wall %7.3f s cpu  %s  %s", what, wall, cpu,
                wall <= target ? "ok" : "over the target", result.standardOutput.constData());
    if (result.exitStatus != 0)
        std::printf("%s", qPrintable(result.standardError));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int lookups = argc > 1 ? QByteArray(argv[1]).toInt() : 1'000'000;
    const int notes = argc > 2 ? QByteArray(argv[2]).toInt() : 100'000;
    QTemporaryDir temp;
    const QString vocab = temp.filePath(u"vocab.db"_s);
    buildDatabase(vocab,
                  "CREATE TABLE WORDS(id TEXT PRIMARY KEY NOT NULL, word TEXT, stem TEXT, "
                  "lang TEXT, category INTEGER DEFAULT 0, timestamp INTEGER DEFAULT 0, "
                  "profileid TEXT);"
                  "CREATE TABLE LOOKUPS(id TEXT PRIMARY KEY NOT NULL, word_key TEXT, "
                  "book_key TEXT, dict_key TEXT, pos TEXT, usage TEXT, "
                  "timestamp INTEGER DEFAULT 0);"
                  "CREATE TABLE BOOK_INFO(id TEXT PRIMARY KEY NOT NULL, asin TEXT, guid TEXT, "
                  "lang TEXT, title TEXT, authors TEXT);"
                  "INSERT INTO BOOK_INFO(id, title) VALUES ('b', 'A Long Book');"
                  "CREATE TABLE numbers(n INTEGER);",
                  "INSERT INTO numbers VALUES (?1)", lookups);
    {
        // Filled from the numbers table in two statements, which is many times faster.
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(vocab).constData(), &db);
        check(sqlite3_exec(db,
                           "INSERT INTO WORDS(id, word, stem, lang, timestamp) SELECT 'en:word' || "
                           "n, 'word' || n, 'word' || n, 'en', 1600000000000 + n FROM numbers;"
                           "INSERT INTO LOOKUPS(id, word_key, book_key, usage, timestamp) SELECT "
                           "'l' || n, 'en:word' || n, 'b', 'A sentence in which word' || n || "
                           "' was met, as long as sentences in books are.', 1600000000000 + n "
                           "FROM numbers; DROP TABLE numbers; VACUUM;",
                           nullptr, nullptr, nullptr) == SQLITE_OK,
              "fill the vocabulary");
        sqlite3_close(db);
    }

    const QString collection = temp.filePath(u"collection"_s);
    buildDatabase(collection,
                  "CREATE TABLE col(id INTEGER PRIMARY KEY, decks TEXT);"
                  "CREATE TABLE notes(id INTEGER PRIMARY KEY, guid TEXT, mid INTEGER, "
                  "mod INTEGER, usn INTEGER, tags TEXT, flds TEXT, sfld INTEGER, csum INTEGER, "
                  "flags INTEGER, data TEXT);"
                  "CREATE TABLE cards(id INTEGER PRIMARY KEY, nid INTEGER, did INTEGER);"
                  "CREATE TABLE decks(id INTEGER PRIMARY KEY, name TEXT);"
                  "INSERT INTO decks VALUES (1, 'Default');",
                  "INSERT INTO notes(id, flds) VALUES (1600000000000 + ?1, 'word' || ?1 || "
                  "char(31) || '<div>the meaning of <b>word' || ?1 || '</b></div><div>in &quot;"
                  "two&quot; lines</div>[sound:word' || ?1 || '.mp3]')",
                  notes);
    QFile file(collection);
    check(file.open(QIODevice::ReadOnly), "read the collection");
    const QString apkg = temp.filePath(u"deck.apkg"_s);
    writeZip(apkg, "collection.anki21b", zstd(file.readAll()));

    const QString empty = temp.filePath(u"empty"_s);
    const QString full = temp.filePath(u"full"_s);
    const QString anki = temp.filePath(u"anki"_s);
    for (const QString& folder : {empty, full, anki})
        QDir().mkpath(folder);
    writeList(full + u"/Phrase.log"_s, 1'000'000, "other ");
    writeList(full + u"/Mean.log"_s, 1'000'000, "its meaning ");
    std::printf("%d Kindle lookups, %d Anki notes\n", lookups, notes);
    timed("Kindle into an empty folder", {vocab, empty}, 2.0);
    timed("Kindle into a folder of 1,000,000 pairs", {vocab, full}, 2.0);
    timed("Anki package into an empty folder", {apkg, anki}, 1.0);
    return 0;
}
