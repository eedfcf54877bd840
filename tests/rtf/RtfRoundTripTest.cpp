// Writing a document and reading it back keeps its text and the formats the writer knows.
#include "RtfTestSupport.h"
#include "support/TestSupport.h"

#include "rtf/NotesDocument.h"
#include "rtf/RtfImages.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
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

// A 6 x 4 image of one colour, as a resource of the document under the name.
QImage addImage(QTextDocument& document, const QString& name, QColor colour) {
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(colour);
    document.addResource(QTextDocument::ImageResource, QUrl(name), image);
    return image;
}

void insertImage(QTextCursor& cursor, const QString& name, qreal width, qreal height) {
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(width);
    format.setHeight(height);
    cursor.insertImage(format);
}

TEST(RtfRoundTrip, pictures_areShownAndWrittenBackWithTheirBytes) {
    // A document as an editor makes it: the image as a resource, drawn at twice its size.
    QTextDocument document;
    const QImage image = addImage(document, QStringLiteral("pasted.png"), QColor(10, 120, 200));
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("before "));
    insertImage(cursor, QStringLiteral("pasted.png"), 12, 8);
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

TEST(RtfRoundTrip, picturesShownAgain_areWrittenEachTimeWithTheirSizes_andReadAsOne) {
    QTextDocument document;
    const QImage image = addImage(document, QStringLiteral("p.png"), QColor(200, 30, 60));
    QTextCursor cursor(&document);
    const QList<std::pair<qreal, qreal>> sizes = {{12, 8}, {6, 4}, {3, 2}};
    for (const auto& [width, height] : sizes) {
        insertImage(cursor, QStringLiteral("p.png"), width, height);
        cursor.insertText(QStringLiteral(" "));
    }
    const QByteArray saved = saveNotes(document);
    const QByteArray hex = encoded(image, "PNG").toHex();
    EXPECT_EQ(saved.count("\\pict"), sizes.size());
    EXPECT_EQ(QString::fromLatin1(saved).remove(u'\n').count(QString::fromLatin1(hex)),
              sizes.size());

    QTextDocument reread;
    loadNotes(saved, reread);
    QList<std::pair<qreal, qreal>> read;
    QSet<QString> names;
    for (auto it = reread.begin().begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        for (int i = 0; format.isImageFormat() && i < it.fragment().length(); ++i) {
            read.append({format.toImageFormat().width(), format.toImageFormat().height()});
            names.insert(format.toImageFormat().name());
        }
    }
    EXPECT_EQ(read, sizes);
    // The same bytes are decoded and kept once.
    ASSERT_EQ(names.size(), 1);
    EXPECT_EQ(storedImage(reread, *names.begin()).bytes, encoded(image, "PNG"));
}

struct KeptCase {
    const char* name;
    QByteArray bytes;
    const char* written; // a pattern the saved file holds
};

TEST(RtfRoundTrip, charsetsHiddenTextAndSmallCaps_areWrittenBack) {
    const QByteArray formatting =
        test::fileBytes(test::rtfDataPath(u"word/word_formatting.rtf"_qs));
    const KeptCase cases[] = {
        {"symbol font of a list",
         test::fileBytes(test::rtfDataPath(u"wordpad/wordpad_win10_pn_lists.rtf"_qs)),
         R"(\\fcharset2 Symbol;\})"},
        {"font name in its charset's code page",
         "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\\f0 x}",
         R"(\\fcharset134 \\u23435\?\\u20307\?;\})"},
        {"symbol font text", "{\\rtf1{\\fonttbl{\\f0\\fnil\\fcharset2 Symbol;}}\\f0 a\\'b7}",
         R"(\{\\f1 \\u945\?\\u8226\?\})"},
        {"control character in a double-byte font",
         "{\\rtf1{\\fonttbl{\\f0\\fnil\\fcharset128 Gothic;}}\\f0 a\\u127?b\\u1?c}",
         R"(a\\u127\?b\\u1\?c)"},
        {"hidden text", "{\\rtf1 a{\\v secret}b\\par c}", R"(\{\\v secret\}\{b\})"},
        {"small capitals", "{\\rtf1 a{\\scaps Small}b}", R"(\{\\scaps Small\})"},
        {"hidden text of a word processor", formatting, R"(\\v secret\})"},
        {"small capitals of a word processor", formatting, R"(\\scaps[^ ]* Small Caps)"},
    };
    for (const KeptCase& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        loadNotes(c.bytes, document);
        const QByteArray saved = saveNotes(document);
        EXPECT_TRUE(QRegularExpression(QString::fromLatin1(c.written))
                        .match(QString::fromLatin1(saved))
                        .hasMatch())
            << saved.toStdString();
        // Read back, it shows the same and is written the same.
        QTextDocument reread;
        loadNotes(saved, reread);
        EXPECT_EQ(test::paragraphs(reread), test::paragraphs(document));
        EXPECT_EQ(saveNotes(reread), saved);
    }
}

TEST(RtfPane, hiddenText_takesNoRoomAndShowsNothing) {
    QTextEdit pane;
    pane.resize(400, 200);
    pane.show();
    loadNotes("{\\rtf1 ab{\\v secret words}cd}", *pane.document());
    EXPECT_EQ(test::paragraphs(*pane.document()), QStringList{u"abcd"_qs});
    QTextCursor cursor(pane.document());
    cursor.setPosition(2);
    const QRect before = pane.cursorRect(cursor);
    cursor.setPosition(3);
    EXPECT_EQ(pane.cursorRect(cursor), before);
    cursor.setPosition(4);
    EXPECT_GT(pane.cursorRect(cursor).x(), before.x());
}

} // namespace
} // namespace quill
