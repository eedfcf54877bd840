#include "rtf/RtfTokenizer.h"

#include "rtf/RtfKeyword.h"

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <limits>

namespace quill {

namespace {

using Kind = RtfToken::Kind;

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Text bytes end at these; everything between is one run.
constexpr auto specialBytes = [] {
    std::array<bool, 256> special{};
    for (const unsigned char c : {'\\', '{', '}', '\r', '\n', '\0'})
        special[c] = true;
    return special;
}();

bool isSpecial(char c) {
    return specialBytes[static_cast<unsigned char>(c)];
}

} // namespace

RtfToken RtfTokenizer::next() {
    while (pos_ < size_) {
        const char c = data_[pos_];
        switch (c) {
        case '{':
            ++pos_;
            return {.kind = Kind::GroupOpen};
        case '}':
            ++pos_;
            return {.kind = Kind::GroupClose};
        case '\\':
            return control();
        case '\r':
        case '\n':
        case '\0':
            ++pos_;
            continue;
        default:
            return text();
        }
    }
    return {};
}

RtfToken RtfTokenizer::control() {
    if (pos_ + 1 >= size_) {
        pos_ = size_;
        return {};
    }
    const char next = data_[pos_ + 1];
    if (isLetter(next))
        return controlWord();
    pos_ += 2;
    if (next == '\'')
        return hexByte();
    return {.kind = Kind::ControlSymbol, .symbol = next};
}

RtfToken RtfTokenizer::controlWord() {
    const qsizetype start = ++pos_;
    while (pos_ < size_ && isLetter(data_[pos_]))
        ++pos_;
    const std::string_view word(data_ + start, std::size_t(pos_ - start));
    bool negative = false;
    if (pos_ + 1 < size_ && data_[pos_] == '-' && isDigit(data_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    bool hasParameter = false;
    qint64 value = 0;
    while (pos_ < size_ && isDigit(data_[pos_])) {
        hasParameter = true;
        value = std::min<qint64>(value * 10 + (data_[pos_] - '0'), qint64(1) << 32);
        ++pos_;
    }
    if (pos_ < size_ && data_[pos_] == ' ')
        ++pos_;
    if (negative)
        value = -value;
    const int parameter = int(std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                                 std::numeric_limits<int>::max()));
    RtfToken token{.kind = Kind::ControlWord,
                   .word = word,
                   .hasParameter = hasParameter,
                   .parameter = parameter};
    if (word == "bin") {
        const qsizetype length =
            std::clamp<qsizetype>(hasParameter ? parameter : 0, 0, size_ - pos_);
        token.kind = Kind::Binary;
        token.bytes = QByteArrayView(data_ + pos_, length);
        pos_ += length;
    }
    return token;
}

// A malformed pair is dropped whole but still counts as one character.
RtfToken RtfTokenizer::hexByte() {
    int value = -1;
    if (pos_ + 1 < size_ && !isSpecial(data_[pos_]) && !isSpecial(data_[pos_ + 1])) {
        const int high = hexValue(data_[pos_]);
        const int low = hexValue(data_[pos_ + 1]);
        if (high >= 0 && low >= 0)
            value = high * 16 + low;
        pos_ += 2;
    }
    return {.kind = Kind::HexByte, .parameter = value};
}

RtfToken RtfTokenizer::text() {
    const qsizetype start = pos_;
    while (pos_ < size_ && !isSpecial(data_[pos_]))
        ++pos_;
    return {.kind = Kind::Text, .bytes = QByteArrayView(data_ + start, pos_ - start)};
}

} // namespace quill
