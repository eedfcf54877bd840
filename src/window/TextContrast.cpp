#include "window/TextContrast.h"

#include <algorithm>
#include <cmath>

namespace quill {

namespace {

double linearChannel(double value) {
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

bool readable(const ColourPair& pair) {
    return contrastRatio(pair.base, pair.text) >= ReadableContrast;
}

} // namespace

double relativeLuminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * linearChannel(rgb.redF()) + 0.7152 * linearChannel(rgb.greenF()) +
           0.0722 * linearChannel(rgb.blueF());
}

double contrastRatio(const QColor& first, const QColor& second) {
    const double a = relativeLuminance(first);
    const double b = relativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

ColourPair readablePair(const ColourPair& described, const ColourPair& matching) {
    if (readable(described))
        return described;
    if (readable(matching))
        return matching;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return {matching.base,
            contrastRatio(matching.base, black) >= contrastRatio(matching.base, white) ? black
                                                                                       : white};
}

} // namespace quill
