#include "rtf/PlainText.h"

#include "rtf/CodePage.h"

#include <QStringDecoder>
#include <QUtf8StringView>

namespace quill {

PlainText::PlainText(QByteArrayView bytes) : bytes_(bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        pos_ = 3;
    } else if (bytes.startsWith("\xFF\xFE")) {
        encoding_ = Encoding::Utf16LittleEndian;
        pos_ = 2;
    } else if (bytes.startsWith("\xFE\xFF")) {
        encoding_ = Encoding::Utf16BigEndian;
        pos_ = 2;
    } else if (!QUtf8StringView(bytes.data(), bytes.size()).isValidUtf8()) {
        encoding_ = Encoding::Windows1252;
    }
}

qsizetype PlainText::pieceEnd(qsizetype pieceBytes) const {
    qsizetype end = std::min(bytes_.size(), pos_ + std::max<qsizetype>(pieceBytes, 4));
    if (end == bytes_.size())
        return end;
    const auto byte = [&](qsizetype at) {
        return uchar(bytes_[at]);
    };
    switch (encoding_) {
    case Encoding::Utf8:
        while (end > pos_ + 1 && (byte(end) & 0xC0) == 0x80) // a continuation byte
            --end;
        break;
    case Encoding::Utf16LittleEndian:
    case Encoding::Utf16BigEndian: {
        end -= (end - pos_) % 2;
        // The high byte of the last unit, which must not be the first of a surrogate pair.
        const uchar high = byte(encoding_ == Encoding::Utf16LittleEndian ? end - 1 : end - 2);
        if ((high & 0xFC) == 0xD8)
            end -= 2;
        break;
    }
    case Encoding::Windows1252:
        break;
    }
    return end;
}

QString PlainText::next(qsizetype pieceBytes) {
    const qsizetype end = pieceEnd(pieceBytes);
    const QByteArrayView piece = bytes_.sliced(pos_, end - pos_);
    pos_ = end;
    QString decoded;
    switch (encoding_) {
    case Encoding::Utf8:
        decoded = QString::fromUtf8(piece);
        break;
    case Encoding::Utf16LittleEndian:
        decoded =
            QStringDecoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless)(piece);
        break;
    case Encoding::Utf16BigEndian:
        decoded =
            QStringDecoder(QStringConverter::Utf16BE, QStringConverter::Flag::Stateless)(piece);
        break;
    case Encoding::Windows1252:
        decoded = CodePage(1252).decode(piece);
        break;
    }
    // One pass: drop NULs, fold every line end into "\n".
    QString text(decoded.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const char16_t* in = reinterpret_cast<const char16_t*>(decoded.constData());
    const char16_t* stop = in + decoded.size();
    if (afterCr_ && in != stop && *in == u'\n')
        ++in;
    afterCr_ = false;
    for (; in != stop; ++in) {
        const char16_t c = *in;
        if (c == u'\r') {
            *out++ = u'\n';
            if (in + 1 == stop)
                afterCr_ = true;
            else if (in[1] == u'\n')
                ++in;
        } else if (c != 0) {
            *out++ = c;
        }
    }
    text.truncate(out - reinterpret_cast<char16_t*>(text.data()));
    return text;
}

QString PlainText::decode(QByteArrayView bytes) {
    PlainText plain(bytes);
    QString text;
    while (!plain.atEnd())
        text += plain.next(bytes.size());
    return text;
}

} // namespace quill
