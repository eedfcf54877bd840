#pragma once

#include <QColor>

namespace quill {

// A text colour on its background.
struct ColourPair {
    QColor base;
    QColor text;
};

// The least contrast ratio a text needs against its background to read well.
inline constexpr double ReadableContrast = 4.5;

// The relative luminance of an sRGB colour, 0 for black to 1 for white (WCAG 2).
double relativeLuminance(const QColor& colour);
// (lighter + 0.05) / (darker + 0.05): 1 for equal colours, 21 for black on white.
double contrastRatio(const QColor& first, const QColor& second);

// The colours a control shows: `described` where its text reads well, else the theme's
// `matching` pair; where even that falls short, the matching background with black or white
// text, whichever reads better (one of them always does).
ColourPair readablePair(const ColourPair& described, const ColourPair& matching);

} // namespace quill
