#include "rtf/RtfImages.h"

#include <QBuffer>
#include <QTextDocument>
#include <QUrl>

namespace quill {

namespace {

// QTextDocument keeps one resource per name whatever its type, so the undecoded bytes go
// under a name of their own.
constexpr int originalBytesResource = QTextDocument::UserResource + 1;

QUrl originalBytesUrl(const QString& name) {
    return QUrl(name + QStringLiteral(".original"));
}

bool isJpeg(const QByteArray& bytes) {
    return bytes.startsWith("\xFF\xD8");
}

bool isPng(const QByteArray& bytes) {
    return bytes.startsWith("\x89PNG");
}

} // namespace

QImage addImageResource(QTextDocument& document, const QString& name, const QByteArray& bytes) {
    QImage image;
    image.loadFromData(bytes);
    const QUrl url(name);
    document.addResource(QTextDocument::ImageResource, url, image);
    document.addResource(originalBytesResource, originalBytesUrl(name), bytes);
    return image;
}

StoredImage storedImage(const QTextDocument& document, const QString& name) {
    const QUrl url(name);
    StoredImage stored;
    const QVariant original = document.resource(originalBytesResource, originalBytesUrl(name));
    const QVariant shown = document.resource(QTextDocument::ImageResource, url);
    QImage image = qvariant_cast<QImage>(shown);
    if (original.userType() == QMetaType::QByteArray) {
        stored.bytes = original.toByteArray();
        stored.jpeg = isJpeg(stored.bytes);
        if (stored.jpeg || isPng(stored.bytes) || image.isNull()) {
            stored.pixels = image.size();
            return stored;
        }
    }
    if (shown.userType() == QMetaType::QByteArray)
        image.loadFromData(shown.toByteArray());
    if (image.isNull())
        return {};
    QBuffer buffer(&stored.bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    stored.jpeg = false;
    stored.pixels = image.size();
    return stored;
}

} // namespace quill
