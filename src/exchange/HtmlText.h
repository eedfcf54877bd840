#pragma once

#include <string>
#include <string_view>

namespace quill {

// The plain text of a field written as HTML (UTF-8), as one line. Tags and comments are
// dropped; where a block element (div, p, li, tr, td, headings, ...) or a line break tag begins
// or ends, the blanks around it become one, and none at the start or end. Every
// named character reference HTML defines and every numeric one (&#N; &#xH;, the semicolon
// optional, code points that cannot be characters as U+FFFD, 128 to 159 as Windows-1252) become
// their characters. An unknown name and a "<" that opens no tag stay as they are.
std::string plainFromHtml(std::string_view html);

} // namespace quill
