#pragma once

#include <QByteArrayView>
#include <QString>

namespace quill {

// The text of a plain notes file, decoded a piece at a time: UTF-8 when it has the UTF-8 byte
// order mark or is valid UTF-8, UTF-16 when it has a UTF-16 byte order mark, Windows-1252
// otherwise. NUL characters are dropped and CR LF, lone CR and lone LF all become "\n".
class PlainText {
public:
    // The bytes must stay alive and unchanged while the text is decoded.
    explicit PlainText(QByteArrayView bytes);

    // The text of about the next `pieceBytes` bytes (never a character or a CR LF cut in two);
    // empty once all bytes are decoded.
    QString next(qsizetype pieceBytes);
    bool atEnd() const { return pos_ >= bytes_.size(); }
    // The bytes decoded so far.
    qsizetype decoded() const { return pos_; }

    // All of it at once.
    static QString decode(QByteArrayView bytes);

private:
    enum class Encoding { Utf8, Utf16LittleEndian, Utf16BigEndian, Windows1252 };

    qsizetype pieceEnd(qsizetype pieceBytes) const;

    QByteArrayView bytes_;
    qsizetype pos_ = 0;
    Encoding encoding_ = Encoding::Utf8;
    bool afterCr_ = false; // the last piece ended with a CR, whose LF may start this one
};

} // namespace quill
