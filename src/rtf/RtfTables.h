#pragma once

#include "rtf/CodePage.h"
#include "rtf/RtfStyle.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextBlockFormat>
#include <QTextCharFormat>

#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quill {

// What a rich text document declares once and its text refers to by number: fonts (with the
// code pages their bytes are in), colours and link targets. Turns the styles a reader tracks
// into Qt formats, remembering the character formats made so far and the last paragraph
// format, since runs repeat them.
class RtfTables {
public:
    void setDocumentCodePage(int number);
    void setDefaultFont(int font);

    // Font table entries: \fN starts one, its charset or code page and name follow.
    void defineFont(int font);
    void setFontCharset(int charset);
    void setFontCodePage(int codePage);
    void addFontName(QStringView text); // a ";" ends the name
    void finishFontName();

    // Colour table: \redN\greenN\blueN and a ";" per entry; an entry without them is automatic.
    void startColorTable();
    void setRed(int value) { red_ = std::clamp(value, 0, 255); }
    void setGreen(int value) { green_ = std::clamp(value, 0, 255); }
    void setBlue(int value) { blue_ = std::clamp(value, 0, 255); }
    void addColorTableText(QByteArrayView text);

    int addLink(const QString& target);

    // A code page by number, Windows-1252 for unknown ones.
    const CodePage& codePage(int number);
    // The code page of the font's bytes: its code page or charset, else the document's.
    const CodePage& codePageOfFont(int font);
    // The code page of the name of the font being defined: the font's own, except that a
    // symbol font's name is text in the document's code page.
    const CodePage& codePageOfFontName();

    const QTextCharFormat& charFormat(const CharStyle& style);
    const QTextBlockFormat& blockFormat(const ParagraphStyle& style);

private:
    struct Font {
        QString name;
        int charset = -1;
        int codePage = -1;
    };

    int documentCodePage_ = 1252;
    int defaultFont_ = -1;
    std::unordered_map<int, std::shared_ptr<const CodePage>> codePages_;
    const CodePage* cachedPage_ = nullptr;
    int cachedFont_ = -2;

    QHash<int, Font> fonts_;
    int fontBeingDefined_ = -1;
    QString fontName_;
    QList<QColor> colors_;
    int red_ = -1, green_ = -1, blue_ = -1;
    QStringList links_;

    void forgetCharFormats();

    // The formats made so far, few in most documents; runs switch back and forth between them.
    std::vector<std::pair<CharStyle, QTextCharFormat>> charFormats_;
    std::size_t lastCharFormat_ = 0;
    ParagraphStyle paragraphStyle_;
    QTextBlockFormat blockFormat_;
    bool blockFormatValid_ = false;
};

} // namespace quill
