// The layers under the reader: how bytes become tokens, and what a control word does to the
// character and paragraph formats of its group.
#include "rtf/CodePage.h"
#include "rtf/RtfFormatKeywords.h"
#include "rtf/RtfTokenizer.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <string>

namespace quill {
namespace {

// Tokens written as "{", "}", "\word[N]", "\'hh" (or "\'?" when malformed), "\<symbol>",
// "text:...", "bin:..." and joined by "|".
std::string tokens(QByteArrayView bytes) {
    using enum RtfToken::Kind;
    std::string out;
    RtfTokenizer tokenizer(bytes);
    for (RtfToken t = tokenizer.next(); t.kind != End; t = tokenizer.next()) {
        if (!out.empty())
            out += '|';
        switch (t.kind) {
        case GroupOpen:
            out += '{';
            break;
        case GroupClose:
            out += '}';
            break;
        case ControlWord:
            out += '\\' + std::string(t.word) + (t.hasParameter ? std::to_string(t.parameter) : "");
            break;
        case ControlSymbol:
            out += std::string("\\") + t.symbol;
            break;
        case HexByte:
            out += t.parameter < 0 ? std::string("\\'?") : "\\'" + std::to_string(t.parameter);
            break;
        case Text:
            out += "text:" + t.bytes.toByteArray().toStdString();
            break;
        case Binary:
            out += "bin:" + t.bytes.toByteArray().toStdString();
            break;
        case End:
            break;
        }
    }
    return out;
}

TEST(RtfTokenizer, bytes_giveTheirTokens) {
    const std::pair<QByteArray, std::string> cases[] = {
        {"{\\rtf1 ab}", "{|\\rtf1|text:ab|}"},
        {"\\b0\\fs-24 x", "\\b0|\\fs-24|text:x"},
        {"\\par  two blanks", "\\par|text: two blanks"},
        {QByteArray("a\r\nb\0c", 6), "text:a|text:b|text:c"},
        {"\\'e9\\'zz\\'", "\\'233|\\'?|\\'?"},
        {"\\*\\~\\\\\\{", "\\*|\\~|\\\\|\\{"},
        {"\\u99999999999 x", "\\u2147483647|text:x"},
        {"\\bin3 }{\\x", "bin:}{\\|text:x"},
        {"\\bin99 ab", "bin:ab"},
        {"\\bin-5 ab", "bin:|text:ab"},
        {"end\\", "text:end"},
    };
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(bytes.toStdString());
        EXPECT_EQ(tokens(bytes), expected);
    }
}

// Readers share a single-byte page's table, and decode with it as with a page of their own;
// multi-byte pages keep a decoder of their own.
TEST(CodePage, sharedPages_decodeAsTheirOwn_singleBytePagesOnce) {
    const QByteArray bytes("A\xE9\x80\x9F\xFF", 5);
    for (const int number : {1252, 1251, 437, CodePage::symbol, 424242, 932}) {
        SCOPED_TRACE(number);
        const CodePage own(number);
        const auto shared = CodePage::shared(number);
        EXPECT_EQ(shared->number(), own.number());
        EXPECT_EQ(shared->decode(bytes), own.decode(bytes));
        EXPECT_EQ(CodePage::shared(number) == shared, !own.isMultiByte());
    }
}

struct CharCase {
    const char* word;
    bool hasParameter;
    int parameter;
    CharStyle before;
    CharStyle after;
};

TEST(RtfFormatKeywords, characterKeywords_changeTheirPartOfTheStyle) {
    const CharStyle bold{.flags = CharStyle::Bold};
    const CharStyle sub{.flags = CharStyle::Subscript};
    const CharStyle full{.font = 3, .halfPoints = 20, .foreground = 2, .flags = 0xFF};
    const CharCase cases[] = {
        {"b", false, 0, {}, bold},
        {"b", true, 0, bold, {}},
        {"b", true, 7, {}, bold},
        {"super", false, 0, sub, {.flags = CharStyle::Superscript}},
        {"nosupersub", false, 0, sub, {}},
        {"ulnone", false, 0, {.flags = CharStyle::Underline | CharStyle::Bold}, bold},
        {"v", false, 0, {}, {.flags = CharStyle::Hidden}},
        {"scaps", false, 0, bold, {.flags = CharStyle::Bold | CharStyle::SmallCaps}},
        {"scaps", true, 0, {.flags = CharStyle::SmallCaps}, {}},
        {"plain", false, 0, full, {}},
        {"f", true, 4, {}, {.font = 4}},
        {"fs", true, 99999, {}, {.halfPoints = 3276}},
        {"fs", true, -24, {.halfPoints = 20}, {}},
        {"cf", true, -3, {.foreground = 2}, {}},
        {"highlight", true, 5, {}, {.background = 5}},
    };
    for (const CharCase& c : cases) {
        SCOPED_TRACE(c.word);
        CharStyle style = c.before;
        EXPECT_TRUE(applyCharacterKeyword(style, rtfKeyword(c.word), c.hasParameter, c.parameter));
        EXPECT_EQ(style, c.after);
    }
    CharStyle style = full;
    EXPECT_FALSE(applyCharacterKeyword(style, rtfKeyword("qc"), false, 0));
    EXPECT_EQ(style, full);
}

struct ParagraphCase {
    const char* word;
    int parameter;
    ParagraphStyle after;
};

TEST(RtfFormatKeywords, paragraphKeywords_changeTheirPartOfTheStyle) {
    const ParagraphCase cases[] = {
        {"qc", 0, {.alignment = 1}},
        {"qj", 0, {.alignment = 3}},
        {"li", 720, {.leftIndent = 720}},
        {"ri", 2147483647, {.rightIndent = 31680}},
        {"fi", -2147483647, {.firstIndent = -31680}},
        {"sb", -10, {.spaceBefore = 0}},
        {"sa", 120, {.spaceAfter = 120}},
        {"sl", -240, {.lineSpacing = -240}},
        {"slmult", 1, {.lineMultiple = true}},
        {"intbl", 1, {.inTable = true}},
    };
    for (const ParagraphCase& c : cases) {
        SCOPED_TRACE(c.word);
        ParagraphStyle style;
        EXPECT_TRUE(applyParagraphKeyword(style, rtfKeyword(c.word), true, c.parameter));
        EXPECT_EQ(style, c.after);
    }
    ParagraphStyle style{.alignment = 2, .leftIndent = 5, .inTable = true};
    EXPECT_TRUE(applyParagraphKeyword(style, rtfKeyword("pard"), false, 0));
    EXPECT_EQ(style, ParagraphStyle{});
    EXPECT_FALSE(applyParagraphKeyword(style, rtfKeyword("b"), false, 0));
}

} // namespace
} // namespace quill
