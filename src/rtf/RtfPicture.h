#pragma once

#include "rtf/RtfKeyword.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSize>
#include <QString>
#include <QTextImageFormat>

#include <cstdint>

namespace quill {

// One \pict group being read: its kind, its sizes and its data, given as hex digits or as
// \bin bytes.
class RtfPicture {
public:
    enum class Kind : std::uint8_t { Other, Png, Jpeg };

    void setKind(Kind kind) { kind_ = kind; }
    // \picwN, \pichN, \picwgoalN, \pichgoalN, \picscalexN and \picscaleyN.
    void setSize(RtfKeyword keyword, int value);
    void addHex(QByteArrayView text);
    void addBinary(QByteArrayView bytes);

    // PNG and JPEG pictures with data are shown; other kinds are skipped.
    bool isShown() const;
    const QByteArray& bytes() const { return bytes_; }
    // The format that shows the picture stored under the name, whose image has these pixels, at
    // its size: the goal size in twips, else its own pixels, scaled in per cent.
    QTextImageFormat format(const QString& name, QSize pixels) const;

private:
    Kind kind_ = Kind::Other;
    QByteArray bytes_;
    int highNibble_ = -1;
    int width_ = 0, height_ = 0, goalWidth_ = 0, goalHeight_ = 0;
    int scaleX_ = 100, scaleY_ = 100;
};

} // namespace quill
