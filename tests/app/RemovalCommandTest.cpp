#include "app/RemovalCommand.h"
#include "storage/ListFile.h"
#include "storage/ListPairSync.h"
#include "storage/RemovalHistory.h"
#include "storage/RemovalRecorder.h"
#include "support/EnvironmentGuard.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

class RemovalCommand : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("XDG_STATE_HOME", QFile::encodeName(temp.filePath(u"state"_s)));
        QDir(temp.path()).mkdir(u"lists"_s);
    }
    ExchangeResult run(const QStringList& arguments) {
        return runRemoval(QStringList{u"quillbook"_s} + arguments);
    }
    QString lists() const { return temp.filePath(u"lists"_s); }
    void writeLists(QByteArrayView phrases, QByteArrayView meanings) {
        writeBytes(lists() + u"/Phrase.log"_s, phrases);
        writeBytes(lists() + u"/Mean.log"_s, meanings);
    }
    // A save that removed these pairs at this time.
    void removedAt(const char* time, const QString& cause, const std::vector<QByteArray>& pairs) {
        ListPair removed;
        for (const QByteArray& pair : pairs) {
            removed.first.append(pair.left(pair.indexOf('/')));
            removed.second.append(pair.mid(pair.indexOf('/') + 1));
        }
        RemovalRecorder recorder{RemovalHistory(lists())};
        recorder.record(
            removed.view(), {{0, removed.view().size()}}, cause,
            QDateTime::fromString(QString::fromLatin1(time), Qt::ISODate).toMSecsSinceEpoch());
        recorder.sync();
        recorder.commit();
    }

    QTemporaryDir temp;
    CurrentDirGuard cwd{temp.path()};
    const EnvironmentGuard restoreState{"XDG_STATE_HOME"};
};

TEST_F(RemovalCommand, clearedListsListedThenRestored_keepEveryByte) {
    const QByteArray phrases = "caf\xE9\r\nnul\0byte\r\ntab\there\r\nplain\r\n"_ba;
    const QByteArray meanings = "\xFF\xFE\r\nback\\slash\r\n\r\nmeaning\r\n"_ba;
    writeLists(phrases, meanings);
    {
        ListPairSync sync(u"Phrase.log"_s, u"Mean.log"_s, std::chrono::seconds(3), lists());
        sync.load();
        sync.save(ListPair().view(), {}, {}, u"Clear All Fields"_s);
    }
    ASSERT_EQ(fileBytes(lists() + u"/Phrase.log"_s), "");

    const ExchangeResult listed = run({u"removed"_s, lists()});
    EXPECT_EQ(listed.exitStatus, 0);
    static const QRegularExpression time(
        u"^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(Z|[+-]\\d\\d:\\d\\d)\\t"_s);
    QList<QByteArray> lines = listed.standardOutput.split('\n');
    ASSERT_EQ(lines.size(), 5);
    for (qsizetype i = 0; i < 4; ++i) {
        EXPECT_TRUE(time.match(QString::fromLatin1(lines[i])).hasMatch()) << i;
        lines[i] = lines[i].mid(lines[i].indexOf('\t') + 1);
    }
    EXPECT_EQ(lines, (QList<QByteArray>{"plain\tmeaning\tClear All Fields",
                                        "tab\\there\t\tClear All Fields",
                                        "nul\\0byte\tback\\\\slash\tClear All Fields",
                                        "caf\xE9\t\xFF\xFE\tClear All Fields", ""}));
    // The program itself runs the command before it needs a display.
    QProcess program;
    program.start(QStringLiteral(QUILLBOOK_PROGRAM), {u"removed"_s, lists()});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.readAllStandardOutput(), listed.standardOutput);

    const ExchangeResult restored = run({u"restore"_s, lists()});
    EXPECT_EQ(restored.exitStatus, 0) << restored.standardError.toStdString();
    EXPECT_EQ(restored.standardOutput, "4 pairs added, 0 already there\n");
    EXPECT_EQ(fileBytes(lists() + u"/Phrase.log"_s), phrases);
    EXPECT_EQ(fileBytes(lists() + u"/Mean.log"_s), meanings);
    EXPECT_EQ(run({u"restore"_s, lists()}).standardOutput, "0 pairs added, 4 already there\n");
}

TEST_F(RemovalCommand, restore_takesThePairsSelectedOldestFirstAndEachOnce) {
    const struct {
        const char* name;
        QStringList options;
        QByteArray phrases; // afterwards; the lists held "kept" before
    } rows[] = {
        {"all", {}, "kept\r\napple\r\nPear\r\nplum\r\n"},
        {"sinceDay", {u"--since"_s, u"2026-02-01"_s}, "kept\r\nPear\r\napple\r\nplum\r\n"},
        {"sinceOffset",
         {u"--since"_s, u"2026-02-01T11:30:00-01:00"_s},
         "kept\r\napple\r\nplum\r\n"},
        {"matchMeaning", {u"--match"_s, u"APF"_s}, "kept\r\napple\r\n"},
        {"both",
         {u"--since"_s, u"2026-02-15 00:00Z"_s, u"--match"_s, u"pl"_s},
         "kept\r\napple\r\nplum\r\n"},
        {"none", {u"--match"_s, u"kiwi"_s}, "kept\r\n"},
    };
    for (const auto& row : rows) {
        QDir(temp.filePath(u"state"_s)).removeRecursively();
        writeLists("kept\r\n", "behalten\r\n");
        removedAt("2026-01-10T00:00:00Z", u"Clear All Fields"_s, {"apple/Apfel", "kept/behalten"});
        removedAt("2026-02-01T12:00:00Z", u"merged"_s, {"Pear/Birne"});
        removedAt("2026-03-01T00:00:00Z", u"merged"_s, {"apple/Apfel", "plum/Pflaume"});
        const ExchangeResult result = run(QStringList{u"restore"_s, lists()} + row.options);
        EXPECT_EQ(result.exitStatus, 0) << row.name << result.standardError.toStdString();
        EXPECT_EQ(fileBytes(lists() + u"/Phrase.log"_s), row.phrases) << row.name;
    }
}

TEST_F(RemovalCommand, wrongCommandLine_endsWithStatusTwoAndChangesNothing) {
    writeLists("a\r\n", "A\r\n");
    const QStringList rows[] = {
        {u"restore"_s, u"--since"_s, u"yesterday"_s},
        {u"restore"_s, u"--since"_s, u"2026-13-01"_s},
        {u"removed"_s, u"--limit"_s, u"lots"_s},
        {u"removed"_s, u"--limit"_s, u"0"_s},
        {u"removed"_s, u"a"_s, u"b"_s},
        {u"restore"_s, u"no-such-folder"_s},
        {u"removed"_s, u"--match"_s, u"x"_s},
    };
    for (const QStringList& row : rows) {
        const ExchangeResult result = run(row);
        EXPECT_EQ(result.exitStatus, 2) << row.join(u' ').toStdString();
        EXPECT_FALSE(result.standardError.isEmpty()) << row.join(u' ').toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(temp.filePath(u"state"_s)));
}

TEST_F(RemovalCommand, limit_isKeptForEveryFolderAndTrimsAtOnce) {
    ASSERT_EQ(run({u"removed"_s, u"--limit"_s, u"16K"_s}).exitStatus, 0);
    for (int i = 0; i < 40; ++i)
        removedAt("2026-01-10T00:00:00Z", u"x"_s, {QByteArray(100, 'w') + "/m"});
    const ExchangeResult result = run({u"removed"_s, u"--limit"_s, u"2K"_s, lists()});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, "removal histories keep at most 2048 bytes per folder\n");
    EXPECT_EQ(RemovalHistory::limit(), 2048);
    qint64 bytes = 0;
    for (const QString& file : RemovalHistory(lists()).files())
        bytes += QFileInfo(file).size();
    EXPECT_LE(bytes, 2048);
    EXPECT_GT(bytes, 0);
}

} // namespace
} // namespace quill::test
