#pragma once

#include <QString>
#include <QtGlobal>

namespace quill {

// Reads a typed count as a signed 32-bit number: leading blanks, one optional sign, then decimal
// digits or hexadecimal digits after "$", "x", "X", "0x" or "0X", and nothing after the digits.
// Hexadecimal takes at most eight significant digits as a two's-complement value ("$FFFFFFFF"
// is -1). Throws Failure("'<answer>' is not a valid integer value") for anything else.
qint32 convertCount(const QString& answer);

} // namespace quill
