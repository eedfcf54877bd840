#include "app/ExchangeCommand.h"
#include "storage/ListFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

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

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

File openFile(const char* path, const char* mode) {
    return File(std::fopen(path, mode), &std::fclose);
}

QByteArray streamBytes(std::FILE* stream) {
    std::rewind(stream);
    QByteArray bytes(1 << 16, Qt::Uninitialized);
    bytes.resize(qsizetype(std::fread(bytes.data(), 1, std::size_t(bytes.size()), stream)));
    return bytes;
}

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

TEST_F(ExchangeCommand, importCsv_findsOrTakesTheSeparatorAndNeverPairsOneColumn) {
    const struct {
        QByteArray content;
        QStringList options;
        int status;
        QByteArray phrases; // the lists after the import
        QByteArray meanings;
    } rows[] = {
        {"Word;Meaning\r\nMaison;house, home\r\nchat;cat\r\n",
         {},
         0,
         "Maison\r\nchat\r\n",
         "house, home\r\ncat\r\n"},
        {"\"a;b\";\"c\"\r\n\"d\";e\r\n", {}, 0, "a;b\r\nd\r\n", "c\r\ne\r\n"},
        {"Word,Meaning\r\nx,\"p; q\"\r\ny,r; s\r\n", {}, 0, "x\r\ny\r\n", "p; q\r\nr; s\r\n"},
        {"a\tb;c\r\nd\te\r\n", {}, 0, "a\r\nd\r\n", "b;c\r\ne\r\n"},
        {"a;b|c\r\n", {u"--separator=|"_s}, 0, "a;b\r\n", "c\r\n"},
        {"a;b\tc\r\n", {u"--separator=tab"_s}, 0, "a;b\r\n", "c\r\n"},
        {"Maison\r\nchat\r\n", {}, 3, {}, {}},
        {"Maison\r\n\r\nchat, un animal\r\n",
         {u"--format=words"_s},
         0,
         "Maison\r\nchat, un animal\r\n",
         "\r\n\r\n"},
        {"a;b\r\n", {u"--separator=bogus"_s}, 2, {}, {}},
        {"a;b\r\n", {u"--format=tsv"_s, u"--separator=;"_s}, 2, {}, {}},
    };
    int n = 0;
    for (const auto& row : rows) {
        const QString folder = u"f%1"_s.arg(++n);
        const ExchangeResult result =
            imported(folder, folder + u".csv"_s, row.content, row.options);
        EXPECT_EQ(result.exitStatus, row.status) << n << result.standardError.toStdString();
        EXPECT_EQ(fileBytes(folder + u"/Phrase.log"_s), row.phrases) << n;
        EXPECT_EQ(fileBytes(folder + u"/Mean.log"_s), row.meanings) << n;
        if (row.status == 3) {
            EXPECT_TRUE(result.standardError.contains(u"no line holds a second field"_s) &&
                        result.standardError.contains(u"--format words"_s))
                << result.standardError.toStdString();
        }
    }
    // A word list named as anki text is no more a list of pairs.
    EXPECT_EQ(imported(u"txt"_s, u"words.txt"_s, "one\ntwo\n", {}).exitStatus, 3);
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

TEST_F(ExchangeCommand, unprintableSummary_keepsTheImportAndHasAStatusOfItsOwn) {
    const QString folder = folderWith(u"lists"_s, "a\r\n", "1\r\n");
    writeBytes(temp.filePath(u"in.csv"_s), "b,2\r\n");
    const struct {
        QStringList arguments;
        int status;
    } rows[] = {
        {{u"import"_s, u"in.csv"_s, folder}, 4},
        {{u"export"_s, u"csv"_s, folder}, 3},
        {{u"export"_s, u"csv"_s, folder, u"-o"_s, u"out.csv"_s}, 0},
        {{u"import"_s, u"in.csv"_s, u"absent"_s}, 2},
    };
    for (const auto& row : rows) {
        const File full = openFile("/dev/full", "w");
        const File error(std::tmpfile(), &std::fclose);
        ASSERT_TRUE(full && error);
        EXPECT_EQ(reportExchange(run(row.arguments), full.get(), error.get()), row.status)
            << row.arguments.join(u' ').toStdString();
        EXPECT_EQ(streamBytes(error.get()).contains("cannot write to standard output: No space"),
                  row.status == 3 || row.status == 4);
    }
    EXPECT_EQ(fileBytes(folder + u"/Phrase.log"_s), "a\r\nb\r\n");
}

TEST_F(ExchangeCommand, dash_isStandardOutputAndStandardInput) {
    const QString folder = folderWith(u"lists"_s, "a\r\n", "1\r\n");
    const ExchangeResult exported = run({u"export"_s, u"tsv"_s, folder, u"-o"_s, u"-"_s});
    EXPECT_EQ(exported.standardOutput, "a\t1\n");
    EXPECT_FALSE(QFileInfo::exists(u"-"_s));
    const struct {
        QByteArray input;
        QStringList options;
        QByteArray phrases;
    } rows[] = {
        {"b\t2\n", {}, "a\r\nb\r\n"},
        {"c;3\n", {u"--format=csv"_s}, "a\r\nb\r\nc\r\n"},
    };
    for (const auto& row : rows) {
        const File input(std::tmpfile(), &std::fclose);
        std::fwrite(row.input.constData(), 1, std::size_t(row.input.size()), input.get());
        std::rewind(input.get());
        const ExchangeResult result = runExchange(
            QStringList{u"quillbook"_s, u"import"_s, u"-"_s, folder} + row.options, input.get());
        EXPECT_EQ(result.standardOutput, "1 pair added, 0 already there\n");
        EXPECT_EQ(fileBytes(folder + u"/Phrase.log"_s), row.phrases);
    }
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

TEST_F(ExchangeCommand, messages_nameTheRealCauseAndCountRight) {
    const QString folder = folderWith(u"lists"_s, "a\r\nb\r\n", "1\r\n");
    const QString tabbed = folderWith(u"tabbed"_s, "ok\r\nt\tab\r\n", "1\r\n2\r\n");
    writeBytes(temp.filePath(u"h1.csv"_s), "c,3\r\n");
    const struct {
        QStringList arguments;
        int status;
        QString error;
    } rows[] = {
        {{u"import"_s, u"h1.csv"_s, u"h1.csv"_s}, 2, u"\"h1.csv\" is not a folder"_s},
        {{u"export"_s, u"csv"_s, u"h1.csv"_s}, 2, u"\"h1.csv\" is not a folder"_s},
        {{u"export"_s, u"csv"_s, folder}, 0, u"1 pair has an empty side"_s},
        {{u"export"_s, u"tsv"_s, tabbed}, 3, u"(a tab, or no word); 1 such pair, nothing"_s},
        {{u"export"_s, u"anki"_s, folder, u"--bom"_s}, 2, u"--bom goes with csv only"_s},
        {{u"export"_s, u"tsv"_s, folder, u"--bom"_s}, 2, u"--bom goes with csv only"_s},
        {{u"export"_s, u"csv"_s, folder, u"--locales=en,fr"_s}, 2, u"--locales goes with kvtml"_s},
    };
    for (const auto& row : rows) {
        const ExchangeResult result = run(row.arguments);
        EXPECT_EQ(result.exitStatus, row.status) << row.arguments.join(u' ').toStdString();
        EXPECT_TRUE(result.standardError.contains(row.error)) << result.standardError.toStdString();
    }
    EXPECT_EQ(run({u"import"_s, u"h1.csv"_s, folder}).standardOutput,
              "1 pair added, 0 already there\n");
    // A file of a folder that takes no new files: refused for root too, and not as missing.
    const ExchangeResult proc = run({u"export"_s, u"csv"_s, folder, u"-o"_s, u"/proc/version"_s});
    EXPECT_EQ(proc.exitStatus, 3);
    EXPECT_TRUE(proc.standardError.contains(u"\"/proc/version\". Permission denied"_s) ||
                proc.standardError.contains(u"\"/proc/version\". Read-only file system"_s))
        << proc.standardError.toStdString();
}

} // namespace
} // namespace quill::test
