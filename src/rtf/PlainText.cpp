#include "rtf/PlainText.h"

#include "rtf/CodePage.h"

#include <QStringDecoder>

namespace quill {

namespace {

QString decode(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.sliced(3));
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringConverter::Utf16LE)(bytes.sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringConverter::Utf16BE)(bytes.sliced(2));
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return CodePage(1252).decode(bytes);
}

} // namespace

QString decodePlainText(QByteArrayView bytes) {
    const QString decoded = decode(bytes);
    // One pass: drop NULs, fold every line end into "\n".
    QString text(decoded.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const char16_t* in = reinterpret_cast<const char16_t*>(decoded.constData());
    const char16_t* end = in + decoded.size();
    for (; in != end; ++in) {
        const char16_t c = *in;
        if (c == u'\r') {
            *out++ = u'\n';
            if (in + 1 != end && in[1] == u'\n')
                ++in;
        } else if (c != 0) {
            *out++ = c;
        }
    }
    text.truncate(out - reinterpret_cast<char16_t*>(text.data()));
    return text;
}

} // namespace quill
