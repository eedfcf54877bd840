#include "rtf/RtfFormatKeywords.h"

#include <algorithm>

namespace quill {

namespace {

constexpr int maxTwips = 31680; // 22 inches, the largest page Word accepts
constexpr int maxHalfPoints = 3276;

int clampTwips(int value) {
    return std::clamp(value, -maxTwips, maxTwips);
}

// The flags a keyword sets and those it clears besides; none for other keywords.
struct FlagChange {
    std::uint16_t set = 0;
    std::uint16_t clear = 0;
};

FlagChange flagChange(RtfKeyword keyword) {
    using enum RtfKeyword;
    switch (keyword) {
    case Bold:
        return {CharStyle::Bold};
    case Italic:
        return {CharStyle::Italic};
    case Underline:
        return {CharStyle::Underline};
    case Strike:
        return {CharStyle::Strike};
    case Superscript:
        return {CharStyle::Superscript, CharStyle::Subscript};
    case Subscript:
        return {CharStyle::Subscript, CharStyle::Superscript};
    case Hidden:
        return {CharStyle::Hidden};
    case SmallCaps:
        return {CharStyle::SmallCaps};
    default:
        return {};
    }
}

} // namespace

bool applyCharacterKeyword(CharStyle& style, RtfKeyword keyword, bool hasParameter, int parameter) {
    using enum RtfKeyword;
    if (const FlagChange change = flagChange(keyword); change.set != 0) {
        const bool on = !hasParameter || parameter != 0;
        style.flags &= std::uint16_t(~change.clear);
        style.flags = on ? (style.flags | change.set) : (style.flags & ~change.set);
        return true;
    }
    switch (keyword) {
    case Plain:
        style = CharStyle{};
        return true;
    case UnderlineNone:
        style.flags &= std::uint16_t(~CharStyle::Underline);
        return true;
    case NoSuperSub:
        style.flags &= std::uint16_t(~(CharStyle::Superscript | CharStyle::Subscript));
        return true;
    case Font:
        style.font = parameter;
        return true;
    case FontSize:
        style.halfPoints = hasParameter && parameter > 0 ? std::min(parameter, maxHalfPoints) : 0;
        return true;
    case Foreground:
        style.foreground = std::max(parameter, 0);
        return true;
    case Background:
        style.background = std::max(parameter, 0);
        return true;
    default:
        return false;
    }
}

bool applyParagraphKeyword(ParagraphStyle& style, RtfKeyword keyword, bool hasParameter,
                           int parameter) {
    using enum RtfKeyword;
    const bool on = !hasParameter || parameter != 0;
    switch (keyword) {
    case ParagraphDefault:
        style = ParagraphStyle{};
        break;
    case AlignLeft:
    case AlignCenter:
    case AlignRight:
    case AlignJustify:
        static_assert(int(AlignJustify) - int(AlignLeft) == 3 &&
                      int(AlignCenter) - int(AlignLeft) == 1);
        style.alignment = int(keyword) - int(AlignLeft);
        break;
    case LeftIndent:
        style.leftIndent = clampTwips(parameter);
        break;
    case RightIndent:
        style.rightIndent = clampTwips(parameter);
        break;
    case FirstIndent:
        style.firstIndent = clampTwips(parameter);
        break;
    case SpaceBefore:
        style.spaceBefore = std::clamp(parameter, 0, maxTwips);
        break;
    case SpaceAfter:
        style.spaceAfter = std::clamp(parameter, 0, maxTwips);
        break;
    case LineSpacing:
        style.lineSpacing = clampTwips(parameter);
        break;
    case LineMultiple:
        style.lineMultiple = on;
        break;
    case InTable:
        style.inTable = on;
        break;
    default:
        return false;
    }
    return true;
}

} // namespace quill
