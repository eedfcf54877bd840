// A document built from the input (text, character and paragraph formats, line breaks, tabs,
// links and pictures) is written and read back with the same text and paragraphs.
#include "rtf/NotesDocument.h"
#include "rtf/RtfImages.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QByteArray encodedImage(const char* format) {
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool atEnd() const { return pos_ >= size_; }
    unsigned byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    char16_t unit() { return char16_t(byte() | byte() << 8); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Text as a document can hold it: whole surrogate pairs, no paragraph or frame separators.
QString text(Input& input) {
    QString text;
    for (unsigned length = input.byte() % 24; length > 0 && !input.atEnd(); --length) {
        const char16_t c = input.unit();
        if (QChar::isHighSurrogate(c)) {
            text += QChar(c);
            text += QChar(char16_t(0xDC00 + (input.unit() & 0x3FF)));
        } else if (!QChar::isLowSurrogate(c) && !QChar::isNonCharacter(c) && c != 0 && c != u'\r' &&
                   c != u'\n' && c != u'\f' && c != u'\v' && c != 0x2029) {
            text += QChar(c);
        }
    }
    return text;
}

QTextCharFormat charFormat(Input& input) {
    const unsigned bits = input.byte();
    QTextCharFormat format;
    format.setFontWeight(bits & 1 ? QFont::Bold : QFont::Normal);
    format.setFontItalic(bits & 2);
    format.setFontUnderline(bits & 4);
    format.setFontStrikeOut(bits & 8);
    if (bits & 16)
        format.setVerticalAlignment(bits & 32 ? QTextCharFormat::AlignSuperScript
                                              : QTextCharFormat::AlignSubScript);
    if (bits & 64)
        format.setFontFamilies({QStringLiteral("Family {%1};\\").arg(input.byte())});
    if (bits & 128) {
        format.setFontPointSize(1 + input.byte() / 2.0);
        format.setForeground(QColor::fromRgb(input.byte() * 0x10101u));
        format.setBackground(QColor::fromRgb(input.byte() * 0x30201u));
    }
    return format;
}

} // namespace

// Every input makes and drops documents of many small allocations: a short quarantine still
// catches a use after free within an input, without touching fresh pages for every one.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Broken pictures make the image readers warn at every input; the fuzzer's own output is
    // what matters.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg)
            std::fputs(qPrintable(message), stderr);
    });
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QByteArray png = encodedImage("PNG");
    static const QByteArray jpeg = encodedImage("JPEG");
    static const QImage pngImage = QImage::fromData(png);
    constexpr int maxImages = 3;
    constexpr int maxShown = 16;
    Input input(data, size);
    QTextDocument document;
    QTextCursor cursor(&document);
    // Outside an edit block every insertion lays out its whole paragraph again to place the
    // cursor, which makes a long paragraph of many runs take minutes.
    cursor.beginEditBlock();
    int images = 0;
    int shown = 0;
    while (!input.atEnd()) {
        switch (input.byte() % 6) {
        case 0:
        case 1:
            cursor.insertText(text(input), charFormat(input));
            break;
        case 2: {
            QTextBlockFormat format;
            const unsigned bits = input.byte();
            format.setAlignment(bits & 1   ? Qt::AlignRight
                                : bits & 2 ? Qt::AlignJustify
                                           : Qt::AlignLeft);
            format.setLeftMargin(bits & 4 ? input.byte() : 0);
            format.setTopMargin(bits & 8 ? input.byte() : 0);
            cursor.insertBlock(format);
            break;
        }
        case 3:
            cursor.insertText(input.byte() & 1 ? QString(QChar::LineSeparator)
                                               : QStringLiteral("\t"));
            break;
        case 4: {
            QTextCharFormat format = charFormat(input);
            format.setAnchor(true);
            format.setAnchorHref(text(input) + QStringLiteral("\\\"x"));
            cursor.insertText(QStringLiteral("link"), format);
            break;
        }
        case 5: {
            // A few pictures, shown a few times: each costs as much as thousands of runs to
            // encode or decode, and more test nothing the first few did not. The first is an
            // image alone, as a paste makes it, which a save encodes; the others keep the bytes
            // they were read from, as a loaded file's do.
            const unsigned bits = input.byte();
            if (shown == maxShown)
                break;
            ++shown;
            const bool added = images < maxImages;
            const QString name =
                QStringLiteral("image%1").arg(added ? ++images : 1 + int(bits / 2 % maxImages));
            if (added && images == 1)
                document.addResource(QTextDocument::ImageResource, QUrl(name), pngImage);
            else if (added)
                quill::addImageResource(document, name, bits & 1 ? png : jpeg);
            QTextImageFormat format;
            format.setName(name);
            format.setWidth(1 + input.byte());
            format.setHeight(1 + input.byte());
            cursor.insertImage(format);
            break;
        }
        }
    }
    cursor.endEditBlock();
    QTextDocument reread;
    quill::loadNotes(quill::saveNotes(document), reread);
    // An empty document is written as one whole, empty paragraph.
    if (document.isEmpty() ? !reread.toPlainText().trimmed().isEmpty()
                           : reread.toRawText() != document.toRawText() ||
                                 reread.blockCount() != document.blockCount())
        std::abort();
    return 0;
}
