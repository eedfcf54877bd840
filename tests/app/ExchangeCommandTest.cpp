#include "app/ExchangeCommand.h"
#include "storage/ListFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

class ExchangeCommand : public ::testing::Test {
protected:
    QTemporaryDir temp;
    CurrentDirGuard cwd{temp.path()};

    ExchangeResult run(const QStringList& arguments) {
        return runExchange(QStringList{u"quillbook"_s} + arguments);
    }
    QString folderWith(const QString& name, QByteArrayView phrases, QByteArrayView meanings) {
        EXPECT_TRUE(QDir(temp.path()).mkdir(name));
        if (!phrases.isNull())
            writeBytes(temp.filePath(name + u"/Phrase.log"_s), phrases);
        if (!meanings.isNull())
            writeBytes(temp.filePath(name + u"/Mean.log"_s), meanings);
        return temp.filePath(name);
    }
    QStringList folderFiles(const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden);
    }
};

// Valid UTF-8 without control characters, so every format gives the very same lists back.
const QByteArray phrases = "plain\r\nsay \"hi\"\r\n#hash\r\n  blanks  \r\n\xCE\x95\xCE\xBB\r\n"
                           "\xF0\x9F\x98\x80\r\ncomma, here\r\n";
const QByteArray meanings = "word\r\n\"quoted\"\r\n# too\r\n \r\n\xE6\x97\xA5\r\n"
                            "\xF0\x9D\x84\x9E\r\nsemi;colon\r\n";

TEST_F(ExchangeCommand, exportThenImportIntoAnEmptyFolder_givesTheSameLists) {
    const QString source = folderWith(u"source"_s, phrases, meanings);
    for (const QString& format : {u"anki"_s, u"csv"_s, u"tsv"_s, u"kvtml"_s}) {
        const QString file = temp.filePath(u"pairs."_s + format);
        const QString target = folderWith(u"into-"_s + format, {}, {});
        ASSERT_EQ(run({u"export"_s, format, source, u"-o"_s, file}).exitStatus, 0);
        const ExchangeResult imported = run({u"import"_s, file, target});
        EXPECT_EQ(imported.exitStatus, 0) << imported.standardError.toStdString();
        EXPECT_EQ(imported.standardOutput, "7 pairs added, 0 already there\n");
        EXPECT_EQ(fileBytes(target + u"/Phrase.log"_s), phrases) << format.toStdString();
        EXPECT_EQ(fileBytes(target + u"/Mean.log"_s), meanings) << format.toStdString();
    }
}

TEST_F(ExchangeCommand, import_appendsOnlyNewPairsAndLinesThemUp) {
    const QString folder = folderWith(u"lists"_s, "a\r\nb\r\nc\r\n", "1\r\n2\r\n");
    writeBytes(temp.filePath(u"in.csv"_s), "Word,Meaning\r\na,1\r\nc,\r\nb,9\r\nd,4\r\nd,4\r\n");
    const ExchangeResult result = run({u"import"_s, u"in.csv"_s, folder});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, "3 pairs added, 2 already there\n");
    // Nothing tells whether "c" is a word another program has yet to give its meaning: the new
    // pairs go before it rather than complete it.
    EXPECT_EQ(fileBytes(folder + u"/Phrase.log"_s), "a\r\nb\r\nb\r\nd\r\nd\r\nc\r\n");
    EXPECT_EQ(fileBytes(folder + u"/Mean.log"_s), "1\r\n2\r\n9\r\n4\r\n4\r\n");

    const ExchangeResult again = run({u"import"_s, u"in.csv"_s, folder});
    EXPECT_EQ(again.standardOutput, "0 pairs added, 5 already there\n");
}

// Conflict copies a sync engine left are folded in first, as a window's start does; a word another
// program appended alone stays behind imported pairs, for its meaning to complete it.
TEST_F(ExchangeCommand, listsAreReadAsAWindowStartReadsThem) {
    writeBytes(temp.filePath(u"in.csv"_s), "Word,Meaning\r\ni,I\r\n");
    const struct {
        QString command;
        bool copy;        // a conflict copy holding s/S
        QByteArray alone; // appended to Phrase.log after a save
        QByteArray phrases, meanings;
    } rows[] = {
        {u"export"_s, true, {}, "a\r\ns\r\n", "A\r\nS\r\n"},
        {u"import"_s, true, {}, "a\r\ns\r\ni\r\n", "A\r\nS\r\nI\r\n"},
        {u"import"_s, false, "Y1\r\n", "a\r\ni\r\nY1\r\n", "A\r\nI\r\n"},
    };
    for (const auto& row : rows) {
        const QString folder = folderWith(row.command + QString::number(row.copy), {}, {});
        const QString phrase = folder + u"/Phrase.log"_s;
        writeListFilePair(phrase, splitListText("a\r\n"), folder + u"/Mean.log"_s,
                          splitListText("A\r\n"));
        if (row.copy) {
            writeBytes(folder + u"/Phrase.sync-conflict-20261209-101500-ABCDEFG.log"_s, "s\r\n");
            writeBytes(folder + u"/Mean.sync-conflict-20261209-101500-ABCDEFG.log"_s, "S\r\n");
        }
        writeBytes(phrase, fileBytes(phrase) + row.alone);
        const ExchangeResult result =
            run(row.command == u"export"_s ? QStringList{u"export"_s, u"tsv"_s, folder}
                                           : QStringList{u"import"_s, u"in.csv"_s, folder});
        const std::string name = (row.command + QString::number(row.copy)).toStdString();
        EXPECT_EQ(result.exitStatus, 0) << name << result.standardError.toStdString();
        EXPECT_EQ(fileBytes(phrase), row.phrases) << name;
        EXPECT_EQ(fileBytes(folder + u"/Mean.log"_s), row.meanings) << name;
        EXPECT_EQ(folderFiles(folder), (QStringList{u"Mean.log"_s, u"Phrase.log"_s})) << name;
        if (row.command == u"export"_s) {
            EXPECT_EQ(result.standardOutput, "a\tA\ns\tS\n");
        }
    }
}

TEST_F(ExchangeCommand, unevenLists_exportEmptySidesAndSaySo) {
    const QString folder = folderWith(u"lists"_s, "a\r\nb\r\nc\r\n", "1\r\n");
    const ExchangeResult result = run({u"export"_s, u"CSV"_s, folder});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, "Word,Meaning\r\na,1\r\nb,\r\nc,\r\n");
    EXPECT_EQ(result.standardError, u"quillbook: 2 pairs have an empty side: Phrase.log and "
                                    u"Mean.log differ in length\n"_s);
}

TEST_F(ExchangeCommand, failures_oneLineTheirStatusAndNothingWritten) {
    const QString empty = folderWith(u"empty"_s, {}, {});
    const QString lists = folderWith(u"lists"_s, "a\r\n", "1\r\n");
    const QString unreadable = folderWith(u"unreadable"_s, "a\r\n", {});
    ASSERT_TRUE(QDir(unreadable).mkdir(u"Mean.log"_s)); // a folder in a list file's place
    writeBytes(temp.filePath(u"bad.csv"_s), "x,y\r\n\"never closed\r\n");
    writeBytes(temp.filePath(u"ok.csv"_s), "x,y\r\n");
    const struct {
        QStringList arguments;
        int status;
        QString error;
    } rows[] = {
        {{u"export"_s, u"csv"_s, u"absent"_s, u"-o"_s, u"out"_s}, 2, u"the folder \"absent\""_s},
        {{u"import"_s, u"ok.csv"_s, u"absent"_s}, 2, u"the folder \"absent\""_s},
        {{u"export"_s, u"xls"_s, lists, u"-o"_s, u"out"_s}, 2, u"unknown format \"xls\""_s},
        {{u"import"_s, u"ok.csv"_s, lists, u"--format=xls"_s}, 2, u"unknown format"_s},
        {{u"export"_s, u"csv"_s, lists, u"--bogus"_s}, 2, u"Unknown option 'bogus'"_s},
        {{u"export"_s, u"csv"_s, empty, u"-o"_s, u"out"_s}, 0, u"no Phrase.log or Mean.log"_s},
        {{u"export"_s, u"csv"_s, unreadable, u"-o"_s, u"out"_s}, 3, u"Cannot open file"_s},
        {{u"import"_s, u"ok.csv"_s, unreadable}, 3, u"Cannot open file"_s},
        {{u"import"_s, u"bad.csv"_s, lists}, 3, u"bad.csv: line 2, column 14: a field holds"_s},
        {{u"import"_s, u"absent.csv"_s, lists}, 3, u"Cannot open file"_s},
    };
    for (const auto& row : rows) {
        const ExchangeResult result = run(row.arguments);
        const std::string arguments = row.arguments.join(u' ').toStdString();
        EXPECT_EQ(result.exitStatus, row.status) << arguments;
        EXPECT_TRUE(result.standardError.startsWith(u"quillbook: "_s + row.error))
            << arguments << " -> " << result.standardError.toStdString();
        EXPECT_TRUE(result.standardOutput.isEmpty()) << arguments;
    }
    EXPECT_FALSE(QFileInfo::exists(temp.filePath(u"out"_s)));
    EXPECT_EQ(folderFiles(empty), QStringList());
    EXPECT_EQ(folderFiles(lists), (QStringList{u"Mean.log"_s, u"Phrase.log"_s}));
    EXPECT_EQ(fileBytes(lists + u"/Phrase.log"_s), "a\r\n");
    EXPECT_EQ(folderFiles(unreadable), QStringList{u"Phrase.log"_s});
}

} // namespace
} // namespace quill::test
