#pragma once

#include <QString>

namespace quill {

// The link target of a field instruction such as HYPERLINK "http://x" or HYPERLINK \l "mark"
// (as "#mark"), or an empty string when the field is no link. Backslashes inside quotes escape
// the next character.
QString hyperlinkTarget(const QString& instruction);

} // namespace quill
