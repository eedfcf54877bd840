#pragma once

#include "rtf/RtfImages.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QString>
#include <QStringList>

class QTextBlock;
class QTextCharFormat;
class QTextDocument;
class QTextFragment;

namespace quill {

// Writes a document as rich text that the reader and word processors read back:
// \rtf1\ansi\ansicpg1252 with font and colour tables, Windows-1252 characters as \'hh and every
// other character as \uN with a "?" fallback. Character formats (family, size, bold, italic,
// underline, strike-through, small capitals, super- and subscript, text and background colour,
// the font's charset), hidden text, links,
// paragraph formats (alignment, indents, spacing) and PNG and JPEG pictures are kept.
class RtfWriter {
public:
    explicit RtfWriter(const QTextDocument& document);
    QByteArray write();

private:
    void writeBlock(const QTextBlock& block);
    void writeFragment(const QTextFragment& fragment);
    void writeCharFormat(const QTextCharFormat& format);
    void writeImage(const QTextCharFormat& format);
    void writeText(QStringView text);
    int fontIndex(const QString& family, int charset);
    int colorIndex(const QColor& color);

    const QTextDocument& document_;
    QByteArray body_;
    struct Font {
        QString family;
        int charset = 0;
    };
    QList<Font> fonts_; // \f1 onwards; \f0 is the document's default font
    QHash<std::pair<QString, int>, int> fontIndexes_;
    int charset_ = 0;      // of the font of the text being written
    QList<QColor> colors_; // \colortbl entries from 1
    QHash<QRgb, int> colorIndexes_;
    QHash<QString, StoredImage> images_; // by name, as written
};

} // namespace quill
