#include "exchange/ImportSource.h"
#include "core/Failure.h"
#include "exchange/ReadingFiles.h"
#include "exchange/SqliteDatabase.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

const QByteArray collection = QByteArray(ankiSchema) +
                              "INSERT INTO col(id, decks) VALUES (1, '{}');"
                              "INSERT INTO notes(id, flds) VALUES (1, 'word\x1fmeaning');";

// The words and meanings, or the failure's message.
QString outcome(const ImportSource& source, qint64 budget) {
    try {
        const PairLists pairs = readImportSource(source, std::nullopt, {}, budget);
        QString text;
        for (qsizetype i = 0; i < pairs.size(); ++i)
            text += QString::fromUtf8(pairs.word(i)) + u'=' + QString::fromUtf8(pairs.meaning(i)) +
                    u';';
        return text;
    } catch (const Failure& failure) {
        return failure.message();
    }
}

TEST(ImportSource, openDatabase_leavesNothingBesideItEvenInWalMode) {
    QTemporaryDir temp;
    const QString path = temp.filePath(u"vocab.db"_s);
    writeDatabase(path, "PRAGMA journal_mode=WAL;" + QByteArray(kindleSchema));
    const SqliteDatabase database(path);
    EXPECT_TRUE(database.hasTable(u"lookups"_s));
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"vocab.db"_s});
}

TEST(ImportSource, kindleWordsOfOneLookupEach_keepTheirSentencesInLongRuns) {
    QTemporaryDir temp;
    ImportSource source;
    source.path = temp.filePath(u"vocab.db"_s);
    writeDatabase(source.path,
                  QByteArray(kindleSchema) +
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                      "9000) INSERT INTO WORDS(id, word, lang, timestamp) SELECT 'en:w' || i, "
                      "'w' || i, 'en', i FROM n;"
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                      "9000) INSERT INTO LOOKUPS(id, word_key, usage, timestamp) SELECT 'l' || i, "
                      "'en:w' || i, 'u' || i || CASE i % 1000 WHEN 0 THEN char(10) || 'x' ELSE "
                      "'' END, i FROM n;"
                      "INSERT INTO LOOKUPS(id, word_key, usage, timestamp) VALUES"
                      "  ('again', 'en:w4500', 'later', 99999);");
    const PairLists pairs = readImportSource(source, std::nullopt, {});
    ASSERT_EQ(pairs.size(), 9000);
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        const QByteArray meaning = i + 1 == 4500    ? "later"
                                   : (i + 1) % 1000 ? "u" + n
                                                    : "u" + n + " x";
        ASSERT_EQ(pairs.word(i), "w" + n);
        ASSERT_EQ(pairs.meaning(i), meaning) << i;
    }
}

TEST(ImportSource, collectionPastTheBudget_isRefusedBeforeOrWhileUnpacking) {
    const QByteArray plain = databaseBytes(collection);
    const QByteArray stated = zstdOf(plain);
    const QByteArray streamed = zstdOf(plain, false);
    const qint64 size = plain.size();
    const QString tooLarge = u"would unpack to"_s;
    const struct {
        const char* name;
        QByteArray entry;
        qint64 budget;
        QString outcome;
    } rows[] = {
        {"collection.anki21", plain, size, u"word=meaning;"_s},
        {"collection.anki21", plain, size - 1, tooLarge},
        {"collection.anki21b", stated, stated.size() + size, u"word=meaning;"_s},
        {"collection.anki21b", stated, stated.size() + size - 1, tooLarge},
        {"collection.anki21b", streamed, streamed.size() + size, u"word=meaning;"_s},
        {"collection.anki21b", streamed, streamed.size() + size - 1, tooLarge},
        {"collection.anki21b", streamed.first(streamed.size() - 8), 1 << 30,
         u"a damaged Anki collection: damaged zstd data"_s},
        {"collection.anki21b", plain, 1 << 30, u"a damaged Anki collection: damaged zstd data"_s},
        {"collection.anki2", "not a database at all, just text", 1 << 30,
         u"a damaged or encrypted SQLite database"_s},
    };
    for (const auto& row : rows) {
        ImportSource source;
        source.bytes = zipOf({{row.name, row.entry}});
        EXPECT_TRUE(outcome(source, row.budget).contains(row.outcome))
            << row.name << ' ' << row.budget << ": " << outcome(source, row.budget).toStdString();
    }
}

TEST(ImportSource, textIsAHistoryOnlyWhenEveryLineIsOne) {
    const struct {
        QByteArray text;
        QString outcome;
    } rows[] = {
        {"0 pear\r\n12 apple tree\r\n", u"apple tree=;pear=;"_s},
        {"0 pear\n1 apple\tpomme\n", u"0 pear=;1 apple=pomme;"_s}, // tab-separated text
        {"0 pear\n\n1 apple\n", u"0 pear=;1 apple=;"_s},
        {"0  pear\n", u"0  pear=;"_s},
        {"Word,Meaning\r\n0 pear,poire\r\n", u"0 pear=poire;"_s},
    };
    for (const auto& row : rows) {
        ImportSource source;
        source.bytes = row.text;
        const QString got = outcome(source, 0).replace(u"no line holds"_s, u""_s);
        // A text that is no history and has no second field is refused as one column.
        EXPECT_TRUE(got == row.outcome || got.contains(u"second field"_s))
            << row.text.toStdString() << " -> " << got.toStdString();
    }
}

} // namespace
} // namespace quill::test
