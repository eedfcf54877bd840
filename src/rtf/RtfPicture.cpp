#include "rtf/RtfPicture.h"

#include "rtf/RtfKeyword.h"

#include <algorithm>

namespace quill {

namespace {

constexpr double twipsPerPixel = 15.0; // 96 pixels per inch

double extent(int goal, int pixels, int fallback, int scale) {
    double size = goal > 0 ? goal / twipsPerPixel : pixels > 0 ? pixels : fallback;
    if (scale > 0 && scale <= 10000)
        size = size * scale / 100.0;
    return std::clamp(size, 1.0, 10000.0);
}

} // namespace

void RtfPicture::setSize(RtfKeyword keyword, int value) {
    switch (keyword) {
    case RtfKeyword::PictureWidth:
        width_ = value;
        break;
    case RtfKeyword::PictureHeight:
        height_ = value;
        break;
    case RtfKeyword::PictureGoalWidth:
        goalWidth_ = value;
        break;
    case RtfKeyword::PictureGoalHeight:
        goalHeight_ = value;
        break;
    case RtfKeyword::PictureScaleX:
        scaleX_ = value;
        break;
    case RtfKeyword::PictureScaleY:
        scaleY_ = value;
        break;
    default:
        break;
    }
}

void RtfPicture::addHex(QByteArrayView text) {
    for (const char c : text) {
        const int value = hexValue(c);
        if (value < 0)
            continue; // line ends and blanks between the digits
        if (highNibble_ < 0) {
            highNibble_ = value;
        } else {
            bytes_ += char(highNibble_ * 16 + value);
            highNibble_ = -1;
        }
    }
}

void RtfPicture::addBinary(QByteArrayView bytes) {
    bytes_ += bytes;
    highNibble_ = -1;
}

bool RtfPicture::isShown() const {
    return (kind_ == Kind::Png || kind_ == Kind::Jpeg) && !bytes_.isEmpty();
}

QTextImageFormat RtfPicture::format(const QString& name, QSize pixels) const {
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(extent(goalWidth_, width_, pixels.width(), scaleX_));
    format.setHeight(extent(goalHeight_, height_, pixels.height(), scaleY_));
    return format;
}

} // namespace quill
