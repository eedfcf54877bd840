#include "app/ExchangeCommand.h"
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
    // Imports the bytes as the named file into a new folder; what the lists then hold is checked
    // by the caller.
    ExchangeResult imported(const QString& folder, const QString& name, QByteArrayView content,
                            const QStringList& options) {
        folderWith(folder, {}, {});
        writeBytes(temp.filePath(name), content);
        return run(QStringList{u"import"_s, name, folder} + options);
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
    EXPECT_EQ(fileBytes(folder + u"/Phrase.log"_s), "a\r\nb\r\nc\r\nb\r\nd\r\nd\r\n");
    EXPECT_EQ(fileBytes(folder + u"/Mean.log"_s), "1\r\n2\r\n\r\n9\r\n4\r\n4\r\n");

    const ExchangeResult again = run({u"import"_s, u"in.csv"_s, folder});
    EXPECT_EQ(again.standardOutput, "0 pairs added, 5 already there\n");
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

TEST_F(ExchangeCommand, importAnkiHtml_keepsWordsApartAndDecodesEveryReference) {
    const struct {
        QByteArray html;
        QByteArray text;
    } rows[] = {
        {"<div>une</div><div>deux</div>", "une deux"},
        {"<p>a </p><P> b</P><br><ul><li>c</li><li>d</li></ul>", "a b c d"},
        {"<table><tr><td>x</td><td>y</td></tr><tr><td>z</td></tr></table>", "x y z"},
        {"&eacute;t&eacute; &Ccedil;&hearts;&thetasym;&apos;",
         "\xC3\xA9t\xC3\xA9 \xC3\x87\xE2\x99\xA5\xCF\x91'"},
        {"&NotEqualTilde; &CounterClockwiseContourIntegral; &nbsp", "\xE2\x89\x82\xCC\xB8 "
                                                                    "\xE2\x88\xB3 &nbsp"},
        {"&#0;&#x110000;&#xD800;&#150;&#x20ac;&#65",
         "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xE2\x80\x93\xE2\x82\xAC\x41"},
        {"a < b <!-- <div> --> &bogus; <b>c</b>", "a < b  &bogus; c"},
    };
    QByteArray file = "#separator:tab\n#html:true\n";
    QByteArray phrases;
    for (const auto& row : rows) {
        file += row.html + "\tm\n";
        phrases += row.text + "\r\n";
    }
    const ExchangeResult result = imported(u"html"_s, u"html.txt"_s, file, {});
    EXPECT_EQ(result.exitStatus, 0) << result.standardError.toStdString();
    EXPECT_EQ(fileBytes(u"html/Phrase.log"_s), phrases);
}

TEST_F(ExchangeCommand, entriesThatAreNotUtf8_ownExportImportsAsAlreadyThere) {
    const QByteArray phrases = "caf\xE9\r\n\x80uro\r\nplain\r\n";
    const QByteArray meanings = "coffee\r\n\xFF\r\n\xC3\xA9t\xC3\xA9\r\n";
    const QString folder = folderWith(u"lists"_s, phrases, meanings);
    for (const QString& format : {u"anki"_s, u"csv"_s, u"tsv"_s, u"kvtml"_s}) {
        const QString file = temp.filePath(u"own."_s + format);
        ASSERT_EQ(run({u"export"_s, format, folder, u"-o"_s, file}).exitStatus, 0);
        EXPECT_EQ(run({u"import"_s, file, folder}).standardOutput,
                  "0 pairs added, 3 already there\n")
            << format.toStdString();
    }
    EXPECT_EQ(fileBytes(folder + u"/Phrase.log"_s), phrases);
    EXPECT_EQ(fileBytes(folder + u"/Mean.log"_s), meanings);
}

} // namespace
} // namespace quill::test
