// Which files are rich text, how plain text is decoded, and hostile rich text.
#include "RtfTestSupport.h"

#include "rtf/NotesDocument.h"
#include "rtf/NotesFootprint.h"
#include "rtf/PlainText.h"

#include <QTextDocument>
#include <QTextOption>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace quill {
namespace {

using test::loadParagraphs;

struct PlainCase {
    const char* name;
    QByteArray bytes;
    QStringList paragraphs;
};

TEST(NotesDocument, plainText_decodesEncodingsAndLineEnds) {
    const PlainCase cases[] = {
        {"UTF-8",
         "caf\xC3\xA9\n\xE2\x82\xAC",
         {QStringLiteral("caf\u00e9"), QStringLiteral("\u20ac")}},
        {"UTF-8 with byte order mark", "\xEF\xBB\xBF\xC3\xA9", {QStringLiteral("\u00e9")}},
        {"Windows-1252 when not UTF-8",
         "caf\xE9 \x80\x96",
         {QStringLiteral("caf\u00e9 \u20ac\u2013")}},
        {"UTF-16LE with byte order mark",
         QByteArray("\xFF\xFEh\0\xAC\x20\r\0\n\0x\0", 12),
         {QStringLiteral("h\u20ac"), QStringLiteral("x")}},
        {"UTF-16BE with byte order mark",
         QByteArray("\xFE\xFF\0h\xD8\x3D\xDE\x00", 8),
         {QStringLiteral("h\U0001F600")}},
        {"CR LF, lone CR and lone LF alike",
         "a\r\nb\rc\nd\r\r\ne",
         {u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs, u""_qs, u"e"_qs}},
        {"NUL bytes dropped, nothing else",
         QByteArray("a\0b\r\0\nc", 7),
         {u"ab"_qs, u""_qs, u"c"_qs}},
        {"a CR at the very end ends the paragraph", "a\r", {u"a"_qs}},
        {"empty file", "", {}},
        {"rich text only at the very start", " {\\rtf1 x}", {QStringLiteral(" {\\rtf1 x}")}},
        {"rich text after a UTF-8 byte order mark",
         "\xEF\xBB\xBF{\\rtf1 x\\par y}",
         {u"x"_qs, u"y"_qs}},
        {"NUL bytes and raw line ends in rich text",
         QByteArray("{\\rtf1 a\0b\r\nc\\\r\nd}", 17),
         {u"abc"_qs, u"d"_qs}},
    };
    for (const PlainCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(loadParagraphs(c.bytes), c.paragraphs);
    }
    EXPECT_TRUE(isRichText("\xEF\xBB\xBF{\\rtf"));
    EXPECT_FALSE(isRichText("{\\RTF1"));
}

TEST(NotesDocument, load_replacesTheWholeContentAndKeepsUndoSetting) {
    QTextDocument document;
    document.setPlainText(QStringLiteral("old\nmore"));
    loadNotes("{\\rtf1 new}", document);
    EXPECT_EQ(document.toRawText(), QStringLiteral("new"));
    EXPECT_TRUE(document.isUndoRedoEnabled());
    loadNotes("plain", document);
    EXPECT_EQ(document.toRawText(), QStringLiteral("plain"));
}

QByteArray repeated(QByteArrayView piece, int times) {
    QByteArray out;
    out.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// A run of thousands of characters without a blank wraps anywhere: at word boundaries it takes
// minutes to lay out. Ordinary text keeps wrapping at word boundaries.
TEST(NotesDocument, longWord_wrapsAnywhere_otherTextAtWordBoundaries) {
    QTextDocument document;
    loadNotes(QByteArray(3000, 'a'), document);
    EXPECT_EQ(document.defaultTextOption().wrapMode(), QTextOption::WrapAnywhere);
    loadNotes(repeated("word ", 1000) + '\n' + QByteArray(900, 'b'), document);
    EXPECT_EQ(document.defaultTextOption().wrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    loadNotes("{\\rtf1 " + repeated("ab", 2000) + "}", document);
    EXPECT_EQ(document.defaultTextOption().wrapMode(), QTextOption::WrapAnywhere);
}

// Paragraphs as the document will have them and the characters of the longest (never more than
// the document has), counted in pieces that cut line ends, characters and marks.
TEST(NotesFootprint, countsParagraphsAcrossPieces) {
    const struct {
        QByteArray bytes;
        qint64 paragraphs;
        qint64 longest;
    } cases[] = {
        {"a\r\nb\rc\nd\r\r\ne", 6, 1},
        {"one line", 1, 8},
        {"{\\rtf1 a\\par b\\par\n c\\cell d\\row}", 5, 9},
        {repeated("x\r\n", 5000), 5001, 1},
        {"\xEF\xBB\xBF"
         "caf\xC3\xA9\n\xE2\x82\xAC",
         2, 4},
        {QByteArray("caf\xE9\0!\n", 7), 2, 5},
        {QByteArray("\xFF\xFEh\0\xAC\x20\r\0\n\0x\0", 12), 2, 2},
        {QByteArray("\xFE\xFF\0h\0\r\0\r\x0A\x0A", 10), 3, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.left(40).constData());
        for (const qsizetype piece : {qsizetype(1), qsizetype(2), qsizetype(7), c.bytes.size()}) {
            NotesFootprint footprint;
            for (qsizetype end = piece; end < c.bytes.size(); end += piece)
                footprint.count(QByteArrayView(c.bytes).first(end));
            footprint.finish(c.bytes);
            EXPECT_EQ(footprint.paragraphs(), c.paragraphs) << piece;
            EXPECT_EQ(footprint.longestParagraph(), c.longest) << piece;
        }
    }
}

// Decoded a piece at a time, a file gives the same text as at once, wherever the pieces end:
// within a character, a surrogate pair or a CR LF.
TEST(PlainText, piecesGiveTheWholeText) {
    const QByteArray files[] = {
        "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\r\n\r\rx\n",
        "caf\xE9\r\n\x80\r",
        QByteArray("\xFF\xFEh\0\x3D\xD8\x00\xDE\r\0\n\0\0\0x", 15),
        QByteArray("\xFE\xFF\xD8\x3D\xDE\x00\0\r\0\n", 10),
    };
    for (const QByteArray& bytes : files) {
        SCOPED_TRACE(bytes.toHex().constData());
        const QString whole = PlainText::decode(bytes);
        EXPECT_FALSE(whole.contains(u'\r'));
        for (const qsizetype piece : {1, 2, 3, 5}) {
            PlainText plain(bytes);
            QString text;
            while (!plain.atEnd())
                text += plain.next(piece);
            EXPECT_EQ(text, whole) << piece;
        }
    }
}

// A watched load says how far it got and stops when the watch says so, plain or rich text.
TEST(NotesDocument, watchedLoad_reportsProgressAndStopsWhenAsked) {
    const QByteArray files[] = {repeated("plain notes\r\n", 20'000),
                                "{\\rtf1 " + repeated("{\\b x}\\par ", 3'000) + '}'};
    for (const QByteArray& bytes : files) {
        SCOPED_TRACE(bytes.left(10).constData());
        QTextDocument whole;
        loadNotes(bytes, whole);
        std::vector<qsizetype> seen;
        QTextDocument watched;
        EXPECT_TRUE(loadNotes(bytes, watched, [&](qsizetype done) {
            seen.push_back(done);
            return true;
        }));
        EXPECT_EQ(watched.toRawText(), whole.toRawText());
        ASSERT_GT(seen.size(), 2u);
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        EXPECT_LE(seen.back(), bytes.size());
        QTextDocument stopped;
        EXPECT_FALSE(loadNotes(bytes, stopped, [](qsizetype) { return false; }));
        EXPECT_LT(stopped.characterCount(), whole.characterCount());
    }
}

TEST(NotesDocument, hostileRichText_givesWhatCanBeRead) {
    const QByteArray million = repeated("{", 1000000);
    const PlainCase cases[] = {
        {"a million nested groups, never closed",
         "{\\rtf1 Top\\par " + million + "deep",
         {u"Top"_qs}},
        {"a million nested groups, closed",
         "{\\rtf1 Top\\par " + million + "lost" + repeated("}", 1000000) + "Bottom}",
         {u"Top"_qs, u"Bottom"_qs}},
        {"\\bin longer than the file", "{\\rtf1 a{\\*\\x\\bin2147483647 }}b}", {u"a"_qs}},
        {"\\bin with a huge parameter", "{\\rtf1 a\\bin99999999999999999999 x", {u"a"_qs}},
        {"huge \\uc stops at the group end",
         "{\\rtf1 {\\uc2147483647\\u233 xyz}b}",
         {QStringLiteral("\u00e9b")}},
        {"broken double-byte text", "{\\rtf1\\ansicpg932 a\\'83}", {QStringLiteral("a\ufffd")}},
        {"unknown code page", "{\\rtf1\\ansicpg424242 \\'e9}", {QStringLiteral("\u00e9")}},
        {"control word without end", "{\\rtf1 a\\", {u"a"_qs}},
        {"hex without digits", "{\\rtf1 a\\'", {u"a"_qs}},
        {"only closing braces", "{\\rtf1 a}}}}}b", {u"a"_qs}},
    };
    for (const PlainCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(loadParagraphs(c.bytes), c.paragraphs);
    }
}

} // namespace
} // namespace quill
