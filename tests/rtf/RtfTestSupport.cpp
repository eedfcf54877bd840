#include "RtfTestSupport.h"

#include "rtf/HiddenText.h"
#include "rtf/NotesDocument.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <functional>

namespace quill::test {

namespace {

// Text that tests every way a character is written: ASCII, Windows-1252 bytes, other BMP
// characters, a character beyond the BMP, RTF's own special characters, tab and line break.
const QString sampleText =
    QStringLiteral("Ab 9 Caf\u00e9 \u20ac\u2014\u00a0 \u4f60\u597d \U0001F600 "
                   "{x} \\ ;\ttab\u2028line");

struct FormatRow {
    const char* name;
    std::function<void(QTextCharFormat&)> chars;
    std::function<void(QTextBlockFormat&)> block;
};

const FormatRow formatRows[] = {
    {"plain", [](QTextCharFormat&) {},
     [](QTextBlockFormat&) {
     }},
    {"family",
     [](QTextCharFormat& f) { f.setFontFamilies({QStringLiteral("Liberation Serif")}); },
     {}},
    {"size", [](QTextCharFormat& f) { f.setFontPointSize(15.5); }, {}},
    {"bold", [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); }, {}},
    {"italic", [](QTextCharFormat& f) { f.setFontItalic(true); }, {}},
    {"underline", [](QTextCharFormat& f) { f.setFontUnderline(true); }, {}},
    {"strike", [](QTextCharFormat& f) { f.setFontStrikeOut(true); }, {}},
    {"superscript",
     [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSuperScript); },
     {}},
    {"subscript",
     [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSubScript); },
     {}},
    {"colours",
     [](QTextCharFormat& f) {
         f.setForeground(QColor(200, 10, 30));
         f.setBackground(QColor(250, 250, 0));
     },
     {}},
    {"link",
     [](QTextCharFormat& f) {
         f.setAnchor(true);
         f.setAnchorHref(QStringLiteral("https://example.org/a b?q=\"x\"&p=c:\\d"));
     },
     {}},
    {"everything at once",
     [](QTextCharFormat& f) {
         f.setFontFamilies({QStringLiteral("DejaVu Sans Mono")});
         f.setFontPointSize(9);
         f.setFontWeight(QFont::Bold);
         f.setFontItalic(true);
         f.setFontUnderline(true);
         f.setForeground(QColor(0, 0, 255));
     },
     {}},
    {"centred",
     {},
     [](QTextBlockFormat& f) {
         f.setAlignment(Qt::AlignHCenter);
     }},
    {"right",
     {},
     [](QTextBlockFormat& f) {
         f.setAlignment(Qt::AlignRight);
     }},
    {"justified",
     {},
     [](QTextBlockFormat& f) {
         f.setAlignment(Qt::AlignJustify);
     }},
    {"indents",
     {},
     [](QTextBlockFormat& f) {
         f.setLeftMargin(48);
         f.setRightMargin(24);
         f.setTextIndent(-12);
     }},
    {"spacing",
     {},
     [](QTextBlockFormat& f) {
         f.setTopMargin(8);
         f.setBottomMargin(4);
         f.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
     }},
    {"fixed line height",
     {},
     [](QTextBlockFormat& f) {
         f.setLineHeight(20, QTextBlockFormat::FixedHeight);
     }},
};

} // namespace

QTextDocument* formattedDocument(QObject* parent) {
    auto* document = new QTextDocument(parent);
    QTextCursor cursor(document);
    bool first = true;
    for (const FormatRow& row : formatRows) {
        QTextCharFormat chars;
        QTextBlockFormat block;
        block.setAlignment(Qt::AlignLeft);
        if (row.chars)
            row.chars(chars);
        if (row.block)
            row.block(block);
        if (!first)
            cursor.insertBlock();
        first = false;
        cursor.setBlockFormat(block);
        cursor.insertText(QString::fromLatin1(row.name) + u' ' + sampleText, chars);
    }
    cursor.insertBlock(); // an empty last paragraph survives too
    return document;
}

QString rtfDataDir() {
    return QStringLiteral(QUILLBOOK_RTF_DATA);
}

QString rtfDataPath(const QString& name) {
    return rtfDataDir() + u'/' + name;
}

QStringList paragraphs(const QTextDocument& document) {
    QStringList result;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QString text;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (!isHiddenText(it.fragment().charFormat()))
                text += it.fragment().text();
        }
        result.append(text);
    }
    if (!result.isEmpty() && result.back().isEmpty())
        result.removeLast();
    return result;
}

QStringList loadParagraphs(QByteArrayView bytes) {
    QTextDocument document;
    loadNotes(bytes, document);
    return paragraphs(document);
}

} // namespace quill::test
