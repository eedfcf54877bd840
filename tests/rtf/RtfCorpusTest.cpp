// The corpus of files from word processors, converters and generators, and hostile files.
#include "RtfTestSupport.h"
#include "support/TestSupport.h"

#include "rtf/NotesDocument.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace quill {
namespace {

using test::loadParagraphs;

// One file's expectation from EXPECTED.md: the first paragraphs and, after a "(... paragraphs
// 6-52 not listed ...)" line, those from the next one on. A long paragraph is given by its first
// 200 characters and the count of the rest.
struct Expectation {
    QString file;
    QStringList head;
    QStringList tail;
    bool cut = false;
    qsizetype tailStart = 0;  // index of the first tail paragraph
    QList<qsizetype> lengths; // per paragraph of head and tail: full length, or -1
};

QList<Expectation> readExpectations(const QString& path) {
    QList<Expectation> result;
    const QStringList lines = QString::fromUtf8(test::fileBytes(path)).split(u'\n');
    static const QRegularExpression more(
        QStringLiteral("^(\".*\")\\s+\\(\\+(\\d+) more characters\\)$"));
    Expectation* current = nullptr;
    bool inBlock = false;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("## "))) {
            result.append(Expectation{line.mid(3).trimmed(), {}, {}, false, 0, {}});
            current = &result.back();
            continue;
        }
        if (line.startsWith(QLatin1String("```"))) {
            inBlock = !inBlock && current;
            if (!inBlock)
                current = nullptr; // one block per file
            continue;
        }
        if (!inBlock || !current)
            continue;
        if (line.startsWith(u'(')) {
            static const QRegularExpression range(QStringLiteral("(\\d+)\\D+(\\d+) not listed"));
            if (const auto match = range.match(line); match.hasMatch()) {
                current->cut = true;
                current->tailStart = match.captured(2).toLongLong();
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
        EXPECT_TRUE(parsed.isArray()) << "unreadable line in EXPECTED.md: " << line.toStdString();
        const QString text = parsed.array().at(0).toString();
        (current->cut ? current->tail : current->head).append(text);
        current->lengths.append(length);
    }
    result.removeIf([](const Expectation& e) {
        return e.head.isEmpty() && e.lengths.isEmpty() && !e.file.endsWith(QLatin1String(".rtf"));
    });
    return result;
}

TEST(RtfCorpus, everyExpectation_givesTheListedParagraphs) {
    const QString dir = test::rtfCorpusDir();
    if (dir.isEmpty())
        GTEST_SKIP() << "rich text corpus not found at " << QUILLBOOK_RTF_CORPUS;
    const QList<Expectation> expectations = readExpectations(dir + QStringLiteral("/EXPECTED.md"));
    EXPECT_EQ(expectations.size(), 40);
    for (const Expectation& e : expectations) {
        SCOPED_TRACE(e.file.toStdString());
        const QByteArray bytes = test::fileBytes(dir + u'/' + e.file);
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
}

TEST(RtfCorpus, everyFile_loadsAndSurvivesItsOwnSave) {
    const QString dir = test::rtfCorpusDir();
    if (dir.isEmpty())
        GTEST_SKIP() << "rich text corpus not found at " << QUILLBOOK_RTF_CORPUS;
    int files = 0;
    QDirIterator it(dir, {QStringLiteral("*.rtf")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        SCOPED_TRACE(path.toStdString());
        ++files;
        QTextDocument document;
        loadNotes(test::fileBytes(path), document);
        const QByteArray saved = saveNotes(document);
        EXPECT_TRUE(isRichText(saved));
        QTextDocument reread;
        loadNotes(saved, reread);
        EXPECT_EQ(reread.toRawText(), document.toRawText());
    }
    EXPECT_EQ(files, 67);
}

} // namespace
} // namespace quill
