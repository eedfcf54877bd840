#include "app/ExchangeCommand.h"
#include "exchange/ReadingFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

const QByteArray kindle =
    QByteArray(kindleSchema) +
    "INSERT INTO BOOK_INFO(id, title) VALUES ('b1', 'The Long Road'), ('b2', 'Ferne "
    "L\xC3\xA4nder');"
    "INSERT INTO WORDS(id, word, lang, timestamp) VALUES ('en:cat', 'cat', 'en', 3000),"
    "  ('en:dog', 'dog', 'en', 1000), ('de:Stra\xC3\x9F"
    "e', 'Stra\xC3\x9F"
    "e', 'de', 2000),"
    "  ('en:smile', '\xF0\x9F\x98\x80 smile', 'en-GB', 4000), ('en:bare', 'bare', 'en', 5000);"
    "INSERT INTO LOOKUPS(id, word_key, book_key, usage, timestamp) VALUES"
    "  ('l1', 'en:cat', 'b1', 'The cat sat.', 3000), ('l2', 'en:cat', 'b2', 'A cat' || char(10) ||"
    "  'ran.', 6000), ('l3', 'en:dog', 'b1', 'Dog days.', 1000),"
    "  ('l4', 'de:Stra\xC3\x9F"
    "e', 'b2', 'Die Stra\xC3\x9F"
    "e.', 2000),"
    "  ('l5', 'en:smile', 'b1', 'Smile \xF0\x9F\x98\x80 now', 4000),"
    "  ('l6', 'en:bare', 'b1', NULL, 5000);";
const QByteArray koreader =
    QByteArray(koreaderSchema) +
    "INSERT INTO title(id, name) VALUES (1, 'Collected Essays'), (2, 'Greek Primer');"
    "INSERT INTO vocabulary(word, title_id, create_time, due_time, prev_context, next_context)"
    "  VALUES ('tergiversate', 1, 200, 0, 'He would ', ' endlessly.'),"
    "  ('\xE1\xBD\x95\xCE\xB4\xCF\x89\xCF\x81', 2, 100, 0, ' the word ', ' means water'),"
    "  ('alone', 1, 300, 0, NULL, '');";
const QByteArray kobo = QByteArray(koboSchema) +
                        "INSERT INTO WordList VALUES ('zebra', 'v1', NULL, '2024-01-02T10:00:00Z'),"
                        "  ('apple', 'v1', NULL, '2023-05-01T09:00:00Z'),"
                        "  ('\xF0\x9D\x84\x9E"
                        "clef', 'v2', '-fr', '2024-03-01T00:00:00Z');";
// A newer collection: deck names in their own table, levels apart by the byte 0x1F.
const QByteArray ankiNew =
    QByteArray(ankiSchema) +
    "CREATE TABLE decks(id INTEGER PRIMARY KEY, name TEXT NOT NULL, mtime_secs INTEGER, "
    "  usn INTEGER, common BLOB, kind BLOB);"
    "INSERT INTO col(id, decks) VALUES (1, '{}');"
    "INSERT INTO decks(id, name) VALUES (1, 'Default'), (10, 'French'),"
    "  (11, 'French\x1fVerbs'), (12, 'Spanish');"
    "INSERT INTO notes(id, flds) VALUES"
    "  (3000, 'parler\x1f<div>to speak</div><div>to talk</div>[sound:parler.mp3]'),"
    "  (1000, 'chat&nbsp;noir\x1f<b>black</b> cat<br>feline <img src=\"cat.jpg\">'),"
    "  (2000, 'hola\x1fhello'), (4000, '\xF0\x9D\x84\x9E clef\x1f\xE6\x97\xA5 &amp; "
    "more\x1f"
    "extra');"
    "INSERT INTO cards(id, nid, did) VALUES (1, 3000, 11), (2, 1000, 10), (3, 2000, 12),"
    "  (4, 4000, 1);";
// An older collection: deck names in the JSON of col.decks.
const QByteArray ankiOld =
    QByteArray(ankiSchema) +
    "INSERT INTO col(id, decks) VALUES (1, '{\"1\": {\"id\": 1, \"name\": \"Default\"},"
    "  \"77\": {\"id\": 77, \"name\": \"Words\"}}');"
    "INSERT INTO notes(id, flds) VALUES (6, 'gamma\x1f"
    "delta'), (5, 'alpha\x1f"
    "beta');"
    "INSERT INTO cards(id, nid, did) VALUES (1, 5, 1), (2, 6, 77);";
// What a newer program leaves for older ones beside the real collection.
const QByteArray ankiPlaceholder =
    QByteArray(ankiSchema) + "INSERT INTO col(id, decks) VALUES (1, '{}');"
                             "INSERT INTO notes(id, flds) VALUES (1, 'Please update\x1fto read');";

class ImportReading : public ::testing::Test {
protected:
    QTemporaryDir temp;
    CurrentDirGuard cwd{temp.path()};
    int folders = 0;

    // The status, and standard error or output, of importing the source into a new folder;
    // the lists it then holds are in `phrases` and `meanings`.
    struct Outcome {
        int status;
        QString text;
        QByteArray phrases;
        QByteArray meanings;
    };
    Outcome import(const QString& source, const QStringList& options) {
        const QString folder = u"f%1"_s.arg(++folders);
        EXPECT_TRUE(QDir(temp.path()).mkdir(folder));
        const QStringList beside = QDir(temp.path() + u"/in"_s).entryList(QDir::Files);
        const QByteArray before = fileBytes(source);
        const auto run = [&] {
            return runExchange(QStringList{u"quillbook"_s, u"import"_s, source, folder} + options);
        };
        const ExchangeResult result = run();
        EXPECT_EQ(fileBytes(source), before);
        EXPECT_EQ(QDir(temp.path() + u"/in"_s).entryList(QDir::Files), beside);
        if (result.exitStatus == 0) { // a second import finds every pair there
            EXPECT_TRUE(run().standardOutput.startsWith("0 pairs added"));
        }
        return {result.exitStatus,
                result.exitStatus == 0 ? QString::fromUtf8(result.standardOutput)
                                       : result.standardError,
                fileBytes(folder + u"/Phrase.log"_s), fileBytes(folder + u"/Mean.log"_s)};
    }
    QString file(const QString& name, const QByteArray& bytes) {
        QDir(temp.path()).mkpath(u"in"_s);
        writeBytes(temp.filePath(u"in/"_s + name), bytes);
        return temp.filePath(u"in/"_s + name);
    }
    QString database(const QString& name, const QByteArray& sql) {
        QDir(temp.path()).mkpath(u"in"_s);
        writeDatabase(temp.filePath(u"in/"_s + name), sql);
        return temp.filePath(u"in/"_s + name);
    }
};

TEST_F(ImportReading, eachKind_givesItsWordsAndMeaningsOldestFirst) {
    const QString vocab = database(u"vocab.db"_s, kindle);
    const QString koreaderDb = database(u"vocabulary_builder.sqlite3"_s, koreader);
    const QString koboDb = database(u"KoboReader.sqlite"_s, kobo);
    const QString history =
        file(u"history"_s, "0 newest\n1 \xF0\x9F\x98\x80 smile\r\n0 middle word\n0 newest\n"
                           "3 oldest\n");
    const QString apkg =
        file(u"deck.apkg"_s, zipOf({{"collection.anki2", databaseBytes(ankiPlaceholder)},
                                    {"collection.anki21b", zstdOf(databaseBytes(ankiNew), false)},
                                    {"media", "{}"}}));
    const QString old =
        file(u"old.colpkg"_s, zipOf({{"collection.anki2", databaseBytes(ankiOld)}}));
    // Named as something else: the content decides.
    const QString bare = database(u"words.csv"_s, ankiOld);
    const struct {
        QString source;
        QStringList options;
        QByteArray phrases;
        QByteArray meanings;
    } rows[] = {
        {vocab,
         {},
         "dog\r\nStra\xC3\x9F"
         "e\r\ncat\r\n\xF0\x9F\x98\x80 smile\r\nbare\r\n",
         "Dog days.\r\nDie Stra\xC3\x9F"
         "e.\r\nA cat ran.\r\nSmile \xF0\x9F\x98\x80 now\r\n\r\n"},
        {vocab,
         {u"--book=road"_s},
         "dog\r\ncat\r\n\xF0\x9F\x98\x80 smile\r\nbare\r\n",
         "Dog days.\r\nThe cat sat.\r\nSmile \xF0\x9F\x98\x80 now\r\n\r\n"},
        {vocab,
         {u"--book=L\u00C4NDER"_s},
         "Stra\xC3\x9F"
         "e\r\ncat\r\n",
         "Die Stra\xC3\x9F"
         "e.\r\nA cat ran.\r\n"},
        {vocab,
         {u"--language=en"_s, u"--meaning=none"_s},
         "dog\r\ncat\r\n\xF0\x9F\x98\x80 smile\r\nbare\r\n",
         "\r\n\r\n\r\n\r\n"},
        {koreaderDb,
         {},
         "\xE1\xBD\x95\xCE\xB4\xCF\x89\xCF\x81\r\ntergiversate\r\nalone\r\n",
         "the word \xE1\xBD\x95\xCE\xB4\xCF\x89\xCF\x81 means water\r\nHe would tergiversate "
         "endlessly.\r\n\r\n"},
        {koreaderDb,
         {u"--book"_s, u"essays"_s},
         "tergiversate\r\nalone\r\n",
         "He would tergiversate endlessly.\r\n\r\n"},
        {koboDb,
         {},
         "apple\r\nzebra\r\n\xF0\x9D\x84\x9E"
         "clef\r\n",
         "\r\n\r\n\r\n"},
        {history,
         {},
         "oldest\r\nnewest\r\nmiddle word\r\n\xF0\x9F\x98\x80 smile\r\n",
         "\r\n\r\n\r\n\r\n"},
        {apkg,
         {},
         "chat\xC2\xA0noir\r\nhola\r\nparler\r\n\xF0\x9D\x84\x9E clef\r\n",
         "black cat feline\r\nhello\r\nto speak to talk\r\n\xE6\x97\xA5 & more\r\n"},
        {apkg,
         {u"--deck=french"_s},
         "chat\xC2\xA0noir\r\nparler\r\n",
         "black cat feline\r\nto speak to talk\r\n"},
        {apkg, {u"--deck=French::Verbs"_s}, "parler\r\n", "to speak to talk\r\n"},
        {old, {}, "alpha\r\ngamma\r\n", "beta\r\ndelta\r\n"},
        {old, {u"--deck=Words"_s}, "gamma\r\n", "delta\r\n"},
        {bare, {}, "alpha\r\ngamma\r\n", "beta\r\ndelta\r\n"},
    };
    for (const auto& row : rows) {
        const std::string what = (row.source + u' ' + row.options.join(u' ')).toStdString();
        const Outcome outcome = import(row.source, row.options);
        EXPECT_EQ(outcome.status, 0) << what << outcome.text.toStdString();
        EXPECT_EQ(outcome.phrases, row.phrases) << what;
        EXPECT_EQ(outcome.meanings, row.meanings) << what;
    }
}

TEST_F(ImportReading, badInput_oneLineCauseAndNothingWritten) {
    QByteArray damaged = databaseBytes(kindle);
    for (qsizetype i = 100; i < damaged.size(); ++i)
        damaged[i] = char(i * 7919 % 251); // pages overwritten, as an encrypted body reads
    QByteArray encrypted(8192, Qt::Uninitialized);
    for (qsizetype i = 0; i < encrypted.size(); ++i)
        encrypted[i] = char(i * 31 % 256);
    const QByteArray apkg = zipOf({{"collection.anki21", databaseBytes(ankiOld)}});
    const struct {
        QString source;
        QStringList options;
        int status;
        QString cause;
    } rows[] = {
        {database(u"other.db"_s, "CREATE TABLE t(x); INSERT INTO t VALUES (1);"),
         {},
         3,
         u"an SQLite database of no kind import reads"_s},
        {file(u"damaged.db"_s, damaged), {}, 3, u"a damaged or encrypted SQLite database"_s},
        {file(u"encrypted.db"_s, encrypted), {}, 3, u"binary data of no kind import reads"_s},
        {file(u"media.apkg"_s, zipOf({{"media", "{}"}, {"0", "jpeg"}})),
         {},
         3,
         u"a zip archive without an Anki collection"_s},
        {file(u"cut.apkg"_s, apkg.first(apkg.size() / 2)), {}, 3, u"a damaged zip archive"_s},
        {database(u"nousage.db"_s, QByteArray(kindleSchema).replace("usage TEXT", "sense TEXT")),
         {},
         3,
         u"a Kindle vocabulary whose table LOOKUPS lacks the column usage"_s},
        {file(u"noflds.apkg"_s,
              zipOf({{"collection.anki2",
                      databaseBytes(QByteArray(ankiSchema).replace("flds TEXT", "fields TEXT"))}})),
         {},
         3,
         u"an Anki collection whose table notes lacks the column flds"_s},
        {file(u"latin.apkg"_s, apkg),
         {u"--deck=Latin"_s},
         2,
         u"no deck \"Latin\" in the collection; its decks: Default, Words"_s},
        {database(u"ko.db"_s, koreader),
         {u"--language=en"_s},
         2,
         u"--language does not go with a KOReader vocabulary"_s},
        {database(u"kobo.db"_s, kobo),
         {u"--meaning=none"_s},
         2,
         u"--meaning does not go with a Kobo word list"_s},
        {database(u"k.db"_s, kindle),
         {u"--deck=x"_s},
         2,
         u"--deck does not go with a Kindle vocabulary"_s},
        {database(u"k2.db"_s, kindle),
         {u"--meaning=all"_s},
         2,
         u"--meaning takes context or none"_s},
        {file(u"history"_s, "0 word\n"),
         {u"--book=x"_s},
         2,
         u"--book does not go with a dictionary history"_s},
    };
    for (const auto& row : rows) {
        const std::string what = row.source.toStdString();
        const Outcome outcome = import(row.source, row.options);
        EXPECT_EQ(outcome.status, row.status) << what;
        EXPECT_TRUE(outcome.text.startsWith(u"quillbook: "_s) && outcome.text.contains(row.cause))
            << what << ": " << outcome.text.toStdString();
        EXPECT_EQ(outcome.text.count(u'\n'), row.status == 2 ? 4 : 1) << what; // the usage after 2
        EXPECT_TRUE(outcome.phrases.isNull() && outcome.meanings.isNull()) << what;
    }
    // A pipe is no file to read: refused at once, never waited on for its first bytes.
    const QString pipe = temp.filePath(u"in/pipe"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const ExchangeResult piped =
        runExchange({u"quillbook"_s, u"import"_s, pipe, temp.filePath(u"in"_s)});
    EXPECT_EQ(piped.exitStatus, 3);
    EXPECT_TRUE(piped.standardError.contains(u"Cannot open file"_s))
        << piped.standardError.toStdString();
}

} // namespace
} // namespace quill::test
