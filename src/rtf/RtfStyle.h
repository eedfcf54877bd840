#pragma once

#include <cstdint>

namespace quill {

// The character formatting a reader tracks per group, as the file states it.
struct CharStyle {
    enum Flag : std::uint16_t {
        Bold = 1,
        Italic = 2,
        Underline = 4,
        Strike = 8,
        Superscript = 16,
        Subscript = 32,
        Hidden = 64,
        SmallCaps = 128,
    };
    int font = -1;      // -1: the default font, no family of its own
    int halfPoints = 0; // 0: no size of its own
    int foreground = 0; // colour table index, 0: automatic
    int background = 0;
    int link = -1; // index of a link target
    std::uint16_t flags = 0;
    bool operator==(const CharStyle&) const = default;
};

// The paragraph formatting a reader tracks per group; lengths in twips.
struct ParagraphStyle {
    int alignment = 0; // 0 left, 1 centre, 2 right, 3 justified
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 0; // \sl: negative for exactly, positive for at least
    bool lineMultiple = false;
    bool inTable = false;
    bool operator==(const ParagraphStyle&) const = default;
};

} // namespace quill
