#pragma once

#include <cstdint>
#include <string_view>

namespace quill {

// The control words the reader acts on. Everything else is ignored, except that an unknown
// word right after "{\*" makes its group an ignorable destination.
enum class RtfKeyword : std::uint8_t {
    Unknown,
    // document and code pages
    Rtf,
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodePage,
    DefaultFont,
    UnicodeSkip,
    Unicode,
    UnicodePair,
    UnicodeVersion,
    // font and colour tables
    FontTable,
    ColorTable,
    Font,
    FontCharset,
    FontCodePage,
    Red,
    Green,
    Blue,
    // character formats
    Plain,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Superscript,
    Subscript,
    NoSuperSub,
    FontSize,
    Foreground,
    Background,
    Hidden,
    SmallCaps,
    // paragraph formats
    ParagraphDefault,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    LineSpacing,
    LineMultiple,
    InTable,
    // characters and breaks
    Par,
    Line,
    Tab,
    EmDash,
    EnDash,
    Bullet,
    LeftQuote,
    RightQuote,
    LeftDoubleQuote,
    RightDoubleQuote,
    EmSpace,
    EnSpace,
    QuarterSpace,
    LtrMark,
    RtlMark,
    ZeroWidthJoiner,
    ZeroWidthNonJoiner,
    Cell,
    Row,
    NestedRow,
    // pictures, fields and groups shown through
    Picture,
    PngBlip,
    JpegBlip,
    OtherBlip,
    PictureWidth,
    PictureHeight,
    PictureGoalWidth,
    PictureGoalHeight,
    PictureScaleX,
    PictureScaleY,
    Binary,
    Field,
    FieldInstruction,
    FieldResult,
    ShownGroup,
    // destinations whose content is never shown
    SkippedDestination,
};

RtfKeyword rtfKeyword(std::string_view word);

// The value of a hexadecimal digit ("\'hh" bytes, picture data), -1 for any other character.
constexpr int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The character a keyword stands for (\line, \tab, \emdash, ...), or 0.
char16_t rtfCharacter(RtfKeyword keyword);

// Whether "{\*\word" is still read: destinations this reader understands.
bool isKnownStarredDestination(RtfKeyword keyword);

} // namespace quill
