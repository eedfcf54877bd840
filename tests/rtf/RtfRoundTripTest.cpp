// Writing a document and reading it back keeps its text and the formats the writer knows.
#include "RtfTestSupport.h"

#include "rtf/NotesDocument.h"
#include "rtf/RtfImages.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>

#include <gtest/gtest.h>

#include <tuple>

namespace quill {
namespace {

using test::formattedDocument;

auto charFacts(const QTextCharFormat& f) {
    const QStringList families = f.fontFamilies().toStringList();
    return std::tuple(
        families.value(0), f.fontPointSize(), f.fontWeight() >= QFont::DemiBold, f.fontItalic(),
        f.fontUnderline(), f.fontStrikeOut(), int(f.verticalAlignment()),
        f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color().rgb() : 0,
        f.hasProperty(QTextFormat::BackgroundBrush) ? f.background().color().rgb() : 0,
        f.anchorHref());
}

auto blockFacts(const QTextBlockFormat& f) {
    return std::tuple(int(f.alignment() & Qt::AlignHorizontal_Mask), f.leftMargin(),
                      f.rightMargin(), f.textIndent(), f.topMargin(), f.bottomMargin(),
                      f.lineHeight(), f.lineHeightType());
}

TEST(RtfRoundTrip, formattedDocument_readsBackWithSameTextAndFormats) {
    QObject owner;
    const QTextDocument* original = formattedDocument(&owner);
    QTextDocument reread;
    loadNotes(saveNotes(*original), reread);
    ASSERT_EQ(reread.blockCount(), original->blockCount());
    for (QTextBlock a = original->begin(), b = reread.begin(); a.isValid();
         a = a.next(), b = b.next()) {
        SCOPED_TRACE(a.text().toStdString());
        EXPECT_EQ(b.text(), a.text());
        EXPECT_EQ(blockFacts(b.blockFormat()), blockFacts(a.blockFormat()));
        if (a.text().isEmpty())
            continue;
        // Every character's format, so formats cannot shift against the text.
        for (auto fa = a.begin(), fb = b.begin(); !fa.atEnd(); ++fa, ++fb) {
            ASSERT_FALSE(fb.atEnd());
            EXPECT_EQ(fb.fragment().text(), fa.fragment().text());
            EXPECT_EQ(charFacts(fb.fragment().charFormat()), charFacts(fa.fragment().charFormat()));
        }
    }
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

TEST(RtfRoundTrip, pictures_areShownAndWrittenBackWithTheirBytes) {
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(QColor(10, 120, 200));
    // A document as an editor makes it: the image as a resource, drawn at twice its size.
    QTextDocument document;
    document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("pasted.png")), image);
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("before "));
    QTextImageFormat format;
    format.setName(QStringLiteral("pasted.png"));
    format.setWidth(12);
    format.setHeight(8);
    cursor.insertImage(format);
    // A JPEG as a word processor writes it.
    const QByteArray jpeg = encoded(image, "JPEG");
    cursor.insertText(QStringLiteral(" after"));

    QTextDocument first;
    loadNotes(saveNotes(document).chopped(2) + "{\\pict\\jpegblip\\picwgoal90\\pichgoal60 " +
                  jpeg.toHex() + "}}",
              first);
    QTextDocument second;
    loadNotes(saveNotes(first), second);
    EXPECT_EQ(second.toRawText(), QStringLiteral("before \uFFFC after\uFFFC"));
    QList<QTextImageFormat> images;
    for (auto it = second.begin().begin(); !it.atEnd(); ++it) {
        if (it.fragment().charFormat().isImageFormat())
            images.append(it.fragment().charFormat().toImageFormat());
    }
    ASSERT_EQ(images.size(), 2);
    EXPECT_EQ(std::pair(images[0].width(), images[0].height()), std::pair(12.0, 8.0));
    EXPECT_EQ(std::pair(images[1].width(), images[1].height()), std::pair(6.0, 4.0));
    const QImage shown = qvariant_cast<QImage>(
        second.resource(QTextDocument::ImageResource, QUrl(images[0].name())));
    EXPECT_EQ(shown.size(), image.size());
    EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32), image);
    EXPECT_EQ(storedImage(second, images[1].name()).bytes, jpeg);
}

} // namespace
} // namespace quill
