// The corpus of files from word processors, converters and generators, and hostile files.
#include "RtfTestSupport.h"
#include "support/TestSupport.h"

#include "rtf/NotesDocument.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace quill {
namespace {

using test::loadParagraphs;

// One file's expected paragraphs (NAME.expected, see tests/data/rtf/README): the first ones
// and, after a "(... paragraphs 6-52 not listed ...)" line, those from the next one on. A long
// paragraph is given by its first 200 characters and the count of the rest.
struct Expectation {
    QStringList head;
    QStringList tail;
    bool cut = false;
    qsizetype tailStart = 0;  // index of the first tail paragraph
    QList<qsizetype> lengths; // per paragraph of head and tail: full length, or -1
};

Expectation readExpectation(const QString& path) {
    Expectation result;
    static const QRegularExpression more(
        QStringLiteral("^(\".*\")\\s+\\(\\+(\\d+) more characters\\)$"));
    static const QRegularExpression range(QStringLiteral("(\\d+)\\D+(\\d+) not listed"));
    for (const QString& line : QString::fromUtf8(test::fileBytes(path)).split(u'\n')) {
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'(')) {
            if (const auto match = range.match(line); match.hasMatch()) {
                result.cut = true;
                result.tailStart = match.captured(2).toLongLong();
            }
            continue;
        }
        QString literal = line;
        qsizetype length = -1;
        if (const auto match = more.match(line); match.hasMatch()) {
            literal = match.captured(1);
            length = 200 + match.captured(2).toLongLong();
        }
        const QJsonDocument parsed =
            QJsonDocument::fromJson(QByteArray("[") + literal.toUtf8() + QByteArray("]"));
        EXPECT_TRUE(parsed.isArray())
            << "unreadable line in " << path.toStdString() << ": " << line.toStdString();
        (result.cut ? result.tail : result.head).append(parsed.array().at(0).toString());
        result.lengths.append(length);
    }
    return result;
}

// Every .rtf file of the test data, by its path below the data folder.
QStringList dataFiles() {
    QStringList files;
    const QDir dir(test::rtfDataDir());
    QDirIterator it(dir.path(), {QStringLiteral("*.rtf")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(dir.relativeFilePath(it.next()));
    files.sort();
    return files;
}

TEST(RtfCorpus, everyExpectation_givesTheListedParagraphs) {
    int checked = 0;
    for (const QString& file : dataFiles()) {
        const QString expected = test::rtfDataPath(file.chopped(4) + QStringLiteral(".expected"));
        if (!QFileInfo::exists(expected))
            continue;
        SCOPED_TRACE(file.toStdString());
        ++checked;
        const Expectation e = readExpectation(expected);
        const QByteArray bytes = test::fileBytes(test::rtfDataPath(file));
        ASSERT_FALSE(bytes.isNull());
        QStringList shown = loadParagraphs(bytes);
        if (e.cut) {
            ASSERT_GE(shown.size(), e.tailStart + e.tail.size());
            shown = shown.mid(0, e.head.size()) + shown.mid(e.tailStart, e.tail.size());
        }
        const QStringList wanted = e.head + e.tail;
        ASSERT_EQ(shown.size(), wanted.size()) << shown.join(u'|').toStdString();
        for (qsizetype i = 0; i < wanted.size(); ++i) {
            if (e.lengths[i] < 0) {
                EXPECT_EQ(shown[i], wanted[i]) << "paragraph " << i;
            } else {
                EXPECT_EQ(shown[i].left(200), wanted[i]) << "paragraph " << i;
                EXPECT_EQ(shown[i].size(), e.lengths[i]) << "paragraph " << i;
            }
        }
    }
    EXPECT_EQ(checked, 40);
}

TEST(RtfCorpus, everyFile_loadsAndSurvivesItsOwnSave) {
    const QStringList files = dataFiles();
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        QTextDocument document;
        loadNotes(test::fileBytes(test::rtfDataPath(file)), document);
        const QByteArray saved = saveNotes(document);
        EXPECT_TRUE(isRichText(saved));
        QTextDocument reread;
        loadNotes(saved, reread);
        // An empty document is written as one whole, empty paragraph.
        EXPECT_EQ(reread.toRawText(),
                  document.isEmpty() ? QStringLiteral("\u2029") : document.toRawText());
    }
    EXPECT_EQ(files.size(), 67);
}

} // namespace
} // namespace quill
