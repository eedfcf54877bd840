#pragma once

#include <string>
#include <string_view>

namespace quill {

// The plain text of a field written as HTML (UTF-8): tags are dropped, a line break tag becomes
// a blank, and character references (&amp; &lt; &gt; &quot; &apos; &nbsp; &#N; &#xH;) become
// their characters. An unknown or broken reference stays as it is.
std::string plainFromHtml(std::string_view html);

} // namespace quill
