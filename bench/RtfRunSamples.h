// Documents of many small runs, the kind a fuzzer makes: every few words another font, size,
// colour or weight, paragraphs of changing alignment and indents, links, hidden runs and table
// rows. runDocument() builds one in a QTextDocument for the writer; runRichText() writes one as
// rich text for the reader, with a font table of 200 fonts and a colour table of 256 colours.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace quill::bench {

constexpr int runFonts = 200;
constexpr int runColours = 256;

inline void fillRunDocument(QTextDocument& document, int runs) {
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (int i = 0; i < runs; ++i) {
        QTextCharFormat format;
        format.setFontFamilies({QStringLiteral("Family %1").arg(i % runFonts)});
        format.setFontPointSize(8 + i % 20);
        format.setFontWeight(i % 2 ? QFont::Bold : QFont::Normal);
        format.setFontItalic(i % 3 == 0);
        format.setForeground(QColor::fromRgb(QRgb(i % runColours * 0x10101u)));
        if (i % 5 == 0)
            format.setBackground(QColor::fromRgb(QRgb(i % runColours * 0x30201u)));
        if (i % 11 == 0) {
            format.setAnchor(true);
            format.setAnchorHref(QStringLiteral("https://example.org/%1").arg(i));
        }
        cursor.insertText(QStringLiteral("word %1 caf\u00e9 \u20ac ").arg(i), format);
        if (i % 5 == 4)
            cursor.insertText(i % 10 == 4 ? QStringLiteral("\t") : QString(QChar::LineSeparator));
        if (i % 7 == 6) {
            QTextBlockFormat block;
            block.setAlignment(i % 2 ? Qt::AlignRight : Qt::AlignJustify);
            block.setLeftMargin(i % 40);
            block.setTopMargin(i % 3);
            cursor.insertBlock(block);
        }
    }
    cursor.endEditBlock();
}

inline QByteArray runRichText(int runs) {
    QByteArray text = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (int font = 0; font < runFonts; ++font)
        text +=
            "{\\f" + QByteArray::number(font) + "\\fnil Family " + QByteArray::number(font) + ";}";
    text += "}{\\colortbl;";
    for (int colour = 1; colour < runColours; ++colour)
        text += "\\red" + QByteArray::number(colour) + "\\green" +
                QByteArray::number(255 - colour) + "\\blue" + QByteArray::number(colour / 2) + ';';
    text += "}\n\\pard ";
    text.reserve(text.size() + qsizetype(runs) * 60);
    for (int i = 0; i < runs; ++i) {
        text += "{\\f" + QByteArray::number(i % runFonts) + "\\fs" +
                QByteArray::number(16 + 2 * (i % 20)) + "\\cf" + QByteArray::number(i % runColours);
        if (i % 2)
            text += "\\b";
        if (i % 3 == 0)
            text += "\\i";
        if (i % 13 == 0)
            text += "\\v";
        text += " word " + QByteArray::number(i) + " caf\\'e9 \\u8364?}";
        if (i % 7 == 6)
            text += i % 2 ? "\\par\\pard\\qr\\li300 " : "\\par\\pard\\qj\\sb45 ";
        if (i % 50 == 49)
            text += "\\par\\pard\\intbl one\\cell two\\line more\\cell three\\cell\\row\\pard ";
    }
    text += "\\par}";
    return text;
}

} // namespace quill::bench
