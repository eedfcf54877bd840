#pragma once

#include "rtf/RtfKeyword.h"
#include "rtf/RtfStyle.h"

namespace quill {

// What a control word does to the character or paragraph formatting of its group, as the
// file states it: a flag word without parameter or with one other than 0 sets the flag, with
// 0 clears it; lengths and sizes are clamped to what a word processor accepts.
// Each returns false, leaving the style alone, when the keyword is of another kind.
bool applyCharacterKeyword(CharStyle& style, RtfKeyword keyword, bool hasParameter, int parameter);
bool applyParagraphKeyword(ParagraphStyle& style, RtfKeyword keyword, bool hasParameter,
                           int parameter);

} // namespace quill
