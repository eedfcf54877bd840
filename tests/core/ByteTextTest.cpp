#include "core/ByteText.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quill {
namespace {

QByteArray bytesOf(std::initializer_list<int> values) {
    QByteArray bytes;
    for (int v : values)
        bytes.append(char(v));
    return bytes;
}

QString escapesOf(const QByteArray& bytes) {
    QString text;
    for (char c : bytes)
        text.append(QChar(char16_t(0xF700 + uchar(c))));
    return text;
}

std::string hex(const QByteArray& bytes) {
    return bytes.toHex(' ').toStdString();
}

TEST(ByteText, everySingleByte_roundTripsAndHighBytesBecomeEscapes) {
    for (int b = 0; b < 256; ++b) {
        const QByteArray bytes(1, char(b));
        const QString text = displayText(bytes);
        ASSERT_EQ(text.size(), 1) << b;
        if (b == 0)
            EXPECT_EQ(text.at(0).unicode(), NulSign); // visible, and back to byte 0
        else if (b < 0x80)
            EXPECT_EQ(text.at(0).unicode(), b);
        else
            EXPECT_TRUE(isEscapedByte(text.at(0).unicode())) << b;
        EXPECT_EQ(storedBytes(text), bytes) << b;
    }
}

TEST(ByteText, everyTwoByteString_roundTrips) {
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const QByteArray bytes = bytesOf({a, b});
            ASSERT_EQ(storedBytes(displayText(bytes)), bytes) << hex(bytes);
        }
    }
}

TEST(ByteText, threeByteStringsWithHighLeadByte_roundTrip) {
    for (int a = 0xC0; a < 0x100; ++a) {
        for (int b = 0x70; b < 0xC8; ++b) {
            for (int c = 0; c < 256; c += 3) {
                const QByteArray bytes = bytesOf({a, b, c});
                ASSERT_EQ(storedBytes(displayText(bytes)), bytes) << hex(bytes);
            }
        }
    }
}

TEST(ByteText, everyEncodableCodePoint_showsAsItselfOrAsEscapedBytes) {
    for (char32_t cp = 1; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        const QString expected = QString::fromUcs4(&cp, 1);
        const QByteArray utf8 = expected.toUtf8();
        const QString shown = displayText(utf8);
        if (isEscapedByte(cp) || cp == NulSign)
            ASSERT_EQ(shown, escapesOf(utf8)) << unsigned(cp);
        else
            ASSERT_EQ(shown, expected) << unsigned(cp);
        ASSERT_EQ(storedBytes(shown), utf8) << unsigned(cp);
    }
}

struct InvalidCase {
    const char* name;
    QByteArray bytes;
};

TEST(ByteText, invalidSequences_becomeOneEscapePerByteAndRoundTrip) {
    const std::vector<InvalidCase> cases = {
        {"overlong NUL", bytesOf({0xC0, 0x80})},
        {"overlong two-byte", bytesOf({0xC1, 0xBF})},
        {"overlong three-byte", bytesOf({0xE0, 0x80, 0xAF})},
        {"overlong four-byte", bytesOf({0xF0, 0x80, 0x80, 0xAF})},
        {"high surrogate", bytesOf({0xED, 0xA0, 0x80})},
        {"low surrogate", bytesOf({0xED, 0xBF, 0xBF})},
        {"above U+10FFFF", bytesOf({0xF4, 0x90, 0x80, 0x80})},
        {"five-byte lead", bytesOf({0xF8, 0x88, 0x80, 0x80, 0x80})},
        {"lone continuation", bytesOf({0x80})},
        {"truncated three-byte", bytesOf({0xE2, 0x82})},
        {"truncated four-byte", bytesOf({0xF0, 0x9F, 0x98})},
        {"escape range start", bytesOf({0xEF, 0x9E, 0x80})},
        {"escape range end", bytesOf({0xEF, 0x9F, 0xBF})},
        {"0xFE 0xFF", bytesOf({0xFE, 0xFF})},
    };
    for (const InvalidCase& c : cases) {
        EXPECT_EQ(displayText(c.bytes), escapesOf(c.bytes)) << c.name;
        EXPECT_EQ(storedBytes(displayText(c.bytes)), c.bytes) << c.name;
    }
}

TEST(ByteText, invalidByteBetweenValidText_keepsTheValidCharacters) {
    const QByteArray bytes =
        QByteArray("caf\xC3\xA9 ") + bytesOf({0xE9}) + QByteArray("\xF0\x9F\x98\x80!");
    const QString shown = displayText(bytes);
    EXPECT_EQ(shown, QString::fromUtf8("caf\xC3\xA9 ") + QChar(char16_t(0xF7E9)) +
                         QString::fromUtf8("\xF0\x9F\x98\x80!"));
    EXPECT_EQ(storedBytes(shown), bytes);
}

TEST(ByteText, randomByteStrings_roundTrip) {
    QRandomGenerator random(20261208);
    for (int i = 0; i < 200000; ++i) {
        QByteArray bytes(random.bounded(1, 24), Qt::Uninitialized);
        for (char& c : bytes) {
            // Bias towards bytes that start or continue multi-byte sequences.
            const int kind = random.bounded(4);
            c = char(kind == 0 ? random.bounded(0x80) : 0x80 + random.bounded(0x80));
        }
        ASSERT_EQ(storedBytes(displayText(bytes)), bytes) << hex(bytes);
    }
}

TEST(ByteText, loneSurrogateInText_isStoredAsReplacementCharacter) {
    const QString text = QStringLiteral("a") + QChar(char16_t(0xD83D)) + QStringLiteral("b");
    EXPECT_EQ(storedBytes(text), QByteArray("a\xEF\xBF\xBD"
                                            "b"));
}

TEST(ByteText, emptyText_isEmptyBytes) {
    EXPECT_TRUE(displayText(QByteArrayView()).isEmpty());
    EXPECT_TRUE(storedBytes(QString()).isEmpty());
}

TEST(ByteText, readableUtf8_keepsUtf8AndReadsOtherEntriesAsWindows1252) {
    const struct {
        QByteArray entry;
        QByteArray text;
    } rows[] = {
        {"plain", "plain"},
        {"caf\xC3\xA9 \xF0\x9F\x98\x80", "caf\xC3\xA9 \xF0\x9F\x98\x80"},
        {QByteArray("a\0b", 3), QByteArray("a\0b", 3)},
        {"caf\xE9", "caf\xC3\xA9"},
        {"\x80 \x9F \x81", "\xE2\x82\xAC \xC5\xB8 \xC2\x81"},   // euro, Y diaeresis, a hole
        {"\xC3\xA9 and \xE9", "\xC3\x83\xC2\xA9 and \xC3\xA9"}, // the whole entry, not per byte
    };
    for (const auto& row : rows) {
        QByteArray scratch;
        EXPECT_EQ(readableUtf8(row.entry), row.text) << hex(row.entry);
        EXPECT_EQ(readableUtf8(row.entry, scratch).toByteArray(), row.text) << hex(row.entry);
    }
}

} // namespace
} // namespace quill
