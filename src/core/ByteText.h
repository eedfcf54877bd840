#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace quill {

// Entries are bytes; fields show UTF-8. Bytes that are not valid UTF-8 become private code
// points U+F780..U+F7FF (one per byte) and turn back into the same byte, so any file survives
// a load and a save unchanged. A valid sequence that would itself decode into that range is
// escaped byte by byte too, which keeps the mapping one-to-one.
QString displayText(QByteArrayView bytes);
QByteArray storedBytes(QStringView text);

// True when the code point stands for a raw byte that was not valid UTF-8.
constexpr bool isEscapedByte(char32_t codePoint) {
    return codePoint >= 0xF780 && codePoint <= 0xF7FF;
}

} // namespace quill
