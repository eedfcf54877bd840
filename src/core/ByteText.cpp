#include "core/ByteText.h"

namespace quill {
namespace {

constexpr char16_t escapeBase = 0xF700;

// Length of the valid UTF-8 sequence at p (1 to 4), or 0 when the bytes there are not one.
int validSequenceLength(const unsigned char* p, const unsigned char* end, char32_t& codePoint) {
    const unsigned char b0 = p[0];
    int length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (b0 < 0x80) {
        codePoint = b0;
        return 1;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
        minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
        minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (end - p < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || isEscapedByte(cp) ||
        cp == NulSign)
        return 0;
    codePoint = cp;
    return length;
}

// Windows-1252 from 0x80 to 0x9F; the five holes keep their C1 code points, as Windows does.
constexpr char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QByteArray readableUtf8(QByteArrayView bytes) {
    if (bytes.isValidUtf8())
        return bytes.toByteArray();
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = b >= 0x80 && b < 0xA0 ? cp1252High[b - 0x80] : char16_t(b);
    }
    return text.toUtf8();
}

QByteArrayView readableUtf8(QByteArrayView bytes, QByteArray& scratch) {
    if (bytes.isValidUtf8())
        return bytes;
    scratch = readableUtf8(bytes);
    return scratch;
}

QString displayText(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    bool ascii = true;
    for (const auto* q = p; q != end; ++q) {
        if (*q >= 0x80 || *q == 0) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes);

    QString text(bytes.size(), Qt::Uninitialized); // never more UTF-16 units than bytes
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    char16_t* const begin = out;
    while (p != end) {
        if (*p == 0) {
            *out++ = NulSign;
            ++p;
            continue;
        }
        char32_t cp = 0;
        const int length = validSequenceLength(p, end, cp);
        if (length == 0) {
            *out++ = char16_t(escapeBase + *p);
            ++p;
            continue;
        }
        if (cp >= 0x10000) {
            *out++ = char16_t(0xD800 + ((cp - 0x10000) >> 10));
            *out++ = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            *out++ = char16_t(cp);
        }
        p += length;
    }
    text.truncate(out - begin);
    return text;
}

QByteArray storedBytes(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t cp = text[i].unicode();
        if (QChar::isHighSurrogate(cp) && i + 1 < n &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            cp = QChar::surrogateToUcs4(char16_t(cp), text[i + 1].unicode());
            ++i;
        } else if (QChar::isSurrogate(cp)) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            bytes.append(char(cp));
        } else if (cp == NulSign) {
            bytes.append('\0');
        } else if (isEscapedByte(cp)) {
            bytes.append(char(cp - escapeBase));
        } else if (cp < 0x800) {
            bytes.append(char(0xC0 | (cp >> 6)));
            bytes.append(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            bytes.append(char(0xE0 | (cp >> 12)));
            bytes.append(char(0x80 | ((cp >> 6) & 0x3F)));
            bytes.append(char(0x80 | (cp & 0x3F)));
        } else {
            bytes.append(char(0xF0 | (cp >> 18)));
            bytes.append(char(0x80 | ((cp >> 12) & 0x3F)));
            bytes.append(char(0x80 | ((cp >> 6) & 0x3F)));
            bytes.append(char(0x80 | (cp & 0x3F)));
        }
    }
    return bytes;
}

} // namespace quill
