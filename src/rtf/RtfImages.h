#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class QTextDocument;

namespace quill {

// Pictures of a notes document live as resources under their image format's name: the decoded
// image for display and, beside it, the file bytes as they were read, so a save writes back
// the same PNG or JPEG. Returns the decoded image (null when the bytes do not decode).
QImage addImageResource(QTextDocument& document, const QString& name, const QByteArray& bytes);

// What a writer stores for the named image: the bytes read (PNG or JPEG as they were), else
// the document's image encoded as PNG. Empty when the document holds no such image.
struct StoredImage {
    QByteArray bytes;
    bool jpeg = false;
    QSize pixels;
};
StoredImage storedImage(const QTextDocument& document, const QString& name);

} // namespace quill
