// The notes files the benchmarks load: a 10 MB rich text file of 100,000 formatted paragraphs
// as word processors write them, about 100 bytes each (alignment, spacing, bold, italic,
// colour, Windows-1252 bytes and a Unicode character), and a 20 MB UTF-8 plain text file.
// Both make other sizes too; each extra word of richText() adds 6 bytes to every paragraph.
#pragma once

#include <QByteArray>

namespace quill::bench {

inline QByteArray richText(int paragraphs = 100'000, int extraWords = 0) {
    QByteArray text = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}"
                      "{\\f1\\froman Times New Roman;}}{\\colortbl;\\red200\\green0\\blue0;}\n";
    text.reserve(qsizetype(paragraphs) * (105 + 6 * extraWords));
    for (int i = 0; i < paragraphs; ++i) {
        text += "\\pard\\q";
        text += "lcrj"[i / 8 % 4]; // sections of eight paragraphs
        text += "\\sb60\\sa60 {\\b Note ";
        text += QByteArray::number(i);
        text += ":} plain words, {\\i it\\'e9m} and {\\cf1 red \\u8364?} text to read";
        for (int word = 0; word < extraWords; ++word)
            text += " notes";
        text += ".\\par\n";
    }
    text += '}';
    return text;
}

inline QByteArray plainText(qsizetype bytes = 20'000'000) {
    QByteArray text;
    text.reserve(bytes + 100);
    for (int i = 0; text.size() < bytes; ++i) {
        text += "Line ";
        text += QByteArray::number(i);
        text += ": plain notes with caf\xC3\xA9 and \xE2\x82\xAC signs, read as UTF-8 text.\r\n";
    }
    return text;
}

} // namespace quill::bench
