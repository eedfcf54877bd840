#pragma once

#include <QTextFormat>

namespace quill {

// What rich text says about characters and Qt's formats have no place for, kept on the
// character formats so a save can write it back.
// The font's \fcharsetN, when a file gave one other than 0 (ANSI).
constexpr int fontCharsetProperty = QTextFormat::UserProperty + 2;

} // namespace quill
