#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <string_view>

namespace quill {

// One piece of rich text as the bytes give it, before any meaning is attached.
struct RtfToken {
    enum class Kind : std::uint8_t {
        End,           // no bytes left
        GroupOpen,     // "{"
        GroupClose,    // "}"
        ControlWord,   // "\word" with an optional parameter; one blank after it is part of it
        ControlSymbol, // "\" and one character that is not a letter, nor "'"
        HexByte,       // "\'hh"
        Text,          // bytes up to the next special one; CR, LF and NUL between runs are dropped
        Binary,        // "\binN" and the N raw bytes that follow it
    };
    Kind kind = Kind::End;
    std::string_view word = {}; // ControlWord
    bool hasParameter = false;
    // ControlWord and Binary: the parameter, clamped to int. HexByte: the byte, or -1 when the
    // two characters after "\'" are no hexadecimal pair.
    int parameter = 0;
    char symbol = 0;           // ControlSymbol
    QByteArrayView bytes = {}; // Text and Binary
};

// Cuts rich text into tokens. Never reads past the end: a cut control word or "\'" ends the
// input, and a \bin length is clamped to the bytes left.
class RtfTokenizer {
public:
    explicit RtfTokenizer(QByteArrayView data) : data_(data.data()), size_(data.size()) {}
    RtfToken next();
    // How many bytes the tokens so far took.
    qsizetype position() const { return pos_; }

private:
    RtfToken control();
    RtfToken controlWord();
    RtfToken hexByte();
    RtfToken text();

    // Read through the pointer: every byte of a document passes here.
    const char* data_;
    qsizetype size_;
    qsizetype pos_ = 0;
};

} // namespace quill
