#include "app/FindCommand.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

QByteArray written(std::FILE* stream) {
    std::rewind(stream);
    QByteArray bytes(1 << 16, Qt::Uninitialized);
    bytes.resize(qsizetype(std::fread(bytes.data(), 1, std::size_t(bytes.size()), stream)));
    return bytes;
}

// Words and meanings with a byte that is not UTF-8, a byte 0, a tab and a backslash.
const QByteArray phrases("Caf\xE9\r\nStra\xC3\x9F"
                         "e\r\na\0b\r\nplain\r\n",
                         26);
const QByteArray meanings = "coffee\r\nstreet\r\nnul\tbyte\r\nx\\y\r\n";

class FindCommand : public ::testing::Test {
protected:
    QTemporaryDir temp;
    CurrentDirGuard cwd{temp.path()};
};

TEST_F(FindCommand, printsMatchingPairsWithStatuses) {
    ASSERT_TRUE(QDir(temp.path()).mkdir(u"lists"_s));
    ASSERT_TRUE(QDir(temp.path()).mkdir(u"empty"_s));
    writeBytes(temp.filePath(u"lists/Phrase.log"_s), phrases);
    writeBytes(temp.filePath(u"lists/Mean.log"_s), meanings);
    writeBytes(temp.filePath(u"file"_s), "x");
    const struct {
        QStringList arguments;
        int status;
        QByteArray out;
        QString error;
    } rows[] = {
        {{u"STRASSE"_s, u"lists"_s},
         0,
         "1\tStra\xC3\x9F"
         "e\tstreet\n",
         {}},
        {{u"caf"_s, u"lists"_s}, 0, "0\tCaf\xE9\tcoffee\n", {}},
        {{u"A\u2400B"_s, u"lists"_s}, 0, "2\ta\\0b\tnul\\tbyte\n", {}},
        {{u"\\"_s, u"lists"_s, u"--field"_s, u"2"_s}, 0, "3\tplain\tx\\\\y\n", {}},
        // The byte 0xE9 shows as a mark of its own, not as an accented e.
        {{u"E"_s, u"lists"_s, u"--field=1"_s},
         0,
         "1\tStra\xC3\x9F"
         "e\tstreet\n",
         {}},
        {{u"coffee"_s, u"lists"_s, u"--field"_s, u"1"_s}, 1, {}, {}},
        {{u"x"_s, u"empty"_s}, 1, {}, u"no Phrase.log or Mean.log"_s},
        {{u"x"_s, u"absent"_s}, 2, {}, u"the folder \"absent\" does not exist"_s},
        {{u"x"_s, u"file"_s}, 2, {}, u"\"file\" is not a folder"_s},
        {{u"x"_s, u"lists"_s, u"--field"_s, u"3"_s}, 2, {}, u"--field takes 1 or 2"_s},
        {{}, 2, {}, u"find takes a text"_s},
        {{u"x"_s, u"--bogus"_s}, 2, {}, u"Unknown option 'bogus'"_s},
    };
    for (const auto& row : rows) {
        const File out(std::tmpfile(), &std::fclose);
        const File err(std::tmpfile(), &std::fclose);
        const int status =
            runFind(QStringList{u"quillbook"_s, u"find"_s} + row.arguments, out.get(), err.get());
        const std::string arguments = row.arguments.join(u' ').toStdString();
        EXPECT_EQ(status, row.status) << arguments;
        EXPECT_EQ(written(out.get()), row.out) << arguments;
        const QString error = QString::fromLocal8Bit(written(err.get()));
        EXPECT_TRUE(row.error.isEmpty() ? error.isEmpty()
                                        : error.startsWith(u"quillbook: "_s + row.error))
            << arguments << " -> " << error.toStdString();
    }
}

// The built program runs the command before it looks for a display.
TEST_F(FindCommand, programWithoutDisplay_printsThePairs) {
    writeBytes(temp.filePath(u"Phrase.log"_s), phrases);
    writeBytes(temp.filePath(u"Mean.log"_s), meanings);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s})
        environment.remove(name);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(temp.path());
    program.start(QStringLiteral(QUILLBOOK_PROGRAM), {u"find"_s, u"-t"_s, u"--"_s, u"Y"_s});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 2); // -t is no option
    program.start(QStringLiteral(QUILLBOOK_PROGRAM), {u"find"_s, u"--"_s, u"-"_s});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 1);
    program.start(QStringLiteral(QUILLBOOK_PROGRAM), {u"find"_s, u"Y"_s});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(program.readAllStandardOutput(), "2\ta\\0b\tnul\\tbyte\n3\tplain\tx\\\\y\n");
}

} // namespace
} // namespace quill::test
