#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace quill {

// Entries are bytes; fields show UTF-8. Bytes that are not valid UTF-8 become private code
// points U+F780..U+F7FF (one per byte) and turn back into the same byte, so any file survives
// a load and a save unchanged. A byte 0 shows as the visible sign U+2400 and the sign turns
// back into a byte 0. A valid sequence that would itself decode into that range or into the
// sign is escaped byte by byte too, which keeps the mapping one-to-one.
QString displayText(QByteArrayView bytes);
QByteArray storedBytes(QStringView text);

// An entry as UTF-8 text for other programs: its own bytes when they are valid UTF-8, else every
// byte read as Windows-1252 (the code page such old lists were written in). A byte 0 stays 0.
QByteArray readableUtf8(QByteArrayView bytes);
// The same without a copy for UTF-8 bytes: gives the bytes themselves, or the text put in scratch.
QByteArrayView readableUtf8(QByteArrayView bytes, QByteArray& scratch);

// What a byte 0 shows as.
inline constexpr char16_t NulSign = 0x2400;

// True when the code point stands for a raw byte that was not valid UTF-8.
constexpr bool isEscapedByte(char32_t codePoint) {
    return codePoint >= 0xF780 && codePoint <= 0xF7FF;
}

} // namespace quill
