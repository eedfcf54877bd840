#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <array>
#include <memory>

namespace quill {

// One Windows code page as rich text uses it for \'hh bytes and raw 8-bit text. Single-byte
// pages decode through a table built once; multi-byte pages (932, 936, 949, 950, 65001, ...)
// through a decoder, so lead and trail bytes must be handed over together.
class CodePage {
public:
    // Unknown numbers fall back to Windows-1252.
    explicit CodePage(int number);
    // The page for a number, shared by every reader in the process: a single-byte page's table
    // is built once, by decoding each of its bytes. Multi-byte pages are made afresh, since
    // their decoder is not shared between threads.
    static std::shared_ptr<const CodePage> shared(int number);

    int number() const { return number_; }
    bool isMultiByte() const { return multiByte_; }
    // Single-byte pages only.
    char16_t character(unsigned char byte) const { return table_[byte]; }
    // Any page; bytes left over from a cut multi-byte sequence become U+FFFD.
    QString decode(QByteArrayView bytes) const;

    // The code page of a font's \fcharsetN, or -1 when the charset says nothing (the
    // document's code page applies).
    static int forCharset(int charset);
    // The page number for the Symbol charset, which has no Windows code page of its own.
    static constexpr int symbol = 2;

private:
    int number_;
    bool multiByte_ = false;
    std::shared_ptr<QStringDecoder> decoder_; // multi-byte pages, stateless
    std::array<char16_t, 256> table_{};
};

} // namespace quill
