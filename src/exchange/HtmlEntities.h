#pragma once

#include <cstddef>
#include <string_view>

namespace quill {

// The text (one or two code points) that an HTML named character reference stands for: the
// name between "&" and ";", matched with case. Empty for a name HTML does not define.
std::u32string_view htmlEntityText(std::string_view name);

// The longest name HTML defines ("CounterClockwiseContourIntegral").
inline constexpr std::size_t longestHtmlEntityName = 31;

} // namespace quill
