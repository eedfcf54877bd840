#include "rtf/RtfWriter.h"

#include "rtf/FormatProperties.h"
#include "rtf/HiddenText.h"
#include "rtf/RtfImages.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace quill {

namespace {

constexpr double twipsPerPixel = 15.0;
constexpr int symbolCharset = 2;

// Windows-1252 bytes 0x80..0x9F by character; the holes 0x81, 0x8D, 0x8F, 0x90 and 0x9D stand
// for themselves, as the reader reads them.
struct HighByte {
    char16_t character;
    unsigned char byte;
};
constexpr HighByte cp1252High[] = {
    {0x0081, 0x81}, {0x008D, 0x8D}, {0x008F, 0x8F}, {0x0090, 0x90}, {0x009D, 0x9D}, {0x0152, 0x8C},
    {0x0153, 0x9C}, {0x0160, 0x8A}, {0x0161, 0x9A}, {0x0178, 0x9F}, {0x017D, 0x8E}, {0x017E, 0x9E},
    {0x0192, 0x83}, {0x02C6, 0x88}, {0x02DC, 0x98}, {0x2013, 0x96}, {0x2014, 0x97}, {0x2018, 0x91},
    {0x2019, 0x92}, {0x201A, 0x82}, {0x201C, 0x93}, {0x201D, 0x94}, {0x201E, 0x84}, {0x2020, 0x86},
    {0x2021, 0x87}, {0x2022, 0x95}, {0x2026, 0x85}, {0x2030, 0x89}, {0x2039, 0x8B}, {0x203A, 0x9B},
    {0x20AC, 0x80}, {0x2122, 0x99}};

// The Windows-1252 byte of a character, or 0 when it has none.
unsigned char cp1252Byte(char16_t character) {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return static_cast<unsigned char>(character);
    const auto found = std::lower_bound(
        std::begin(cp1252High), std::end(cp1252High), character,
        [](const HighByte& entry, char16_t wanted) { return entry.character < wanted; });
    return found != std::end(cp1252High) && found->character == character ? found->byte : 0;
}

void appendHex(QByteArray& out, unsigned char byte) {
    static constexpr char digits[] = "0123456789abcdef";
    out += "\\'";
    out += digits[byte >> 4];
    out += digits[byte & 15];
}

// A control word and its number, without the temporary byte arrays that cost an allocation
// per character of text outside Windows-1252.
void appendWord(QByteArray& out, const char* word, long long value) {
    char digits[24];
    const char* end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
    out += word;
    out.append(digits, end - digits);
}

int twips(double pixels) {
    return int(std::lround(pixels * twipsPerPixel));
}

} // namespace

RtfWriter::RtfWriter(const QTextDocument& document) : document_(document) {}

QByteArray RtfWriter::write() {
    body_.reserve(document_.characterCount() * 2 + 64);
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
        writeBlock(block);
        if (block.next().isValid())
            body_ += "\\par\n";
    }
    // Word processors refuse a file without one whole paragraph.
    if (document_.isEmpty())
        body_ += "\\par\n";
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl{\\f0\\fnil\\fcharset0 ";
    const QByteArray saved = std::exchange(body_, QByteArray());
    // A symbol font's name is text like any other; other fonts' names are in their charset.
    const auto fontName = [this](const QString& family, int charset) {
        QString name = family;
        name.remove(u';');
        charset_ = charset == symbolCharset ? 0 : charset;
        writeText(name);
        charset_ = 0;
        return std::exchange(body_, QByteArray());
    };
    out += fontName(document_.defaultFont().family(), 0);
    out += ";}";
    for (qsizetype i = 0; i < fonts_.size(); ++i)
        out += "{\\f" + QByteArray::number(i + 1) + "\\fnil\\fcharset" +
               QByteArray::number(fonts_[i].charset) + ' ' +
               fontName(fonts_[i].family, fonts_[i].charset) + ";}";
    out += "}\n{\\colortbl;";
    for (const QColor& color : std::as_const(colors_))
        out += "\\red" + QByteArray::number(color.red()) + "\\green" +
               QByteArray::number(color.green()) + "\\blue" + QByteArray::number(color.blue()) +
               ';';
    out += "}\n";
    out += saved;
    out += "}\n";
    return out;
}

void RtfWriter::writeBlock(const QTextBlock& block) {
    const QTextBlockFormat format = block.blockFormat();
    Qt::Alignment alignment = format.hasProperty(QTextFormat::BlockAlignment)
                                  ? format.alignment()
                                  : document_.defaultTextOption().alignment();
    body_ += "\\pard";
    if (alignment & Qt::AlignHCenter)
        body_ += "\\qc";
    else if (alignment & Qt::AlignJustify)
        body_ += "\\qj";
    else if (alignment & Qt::AlignRight)
        body_ += "\\qr";
    else
        body_ += "\\ql";
    const auto length = [this](const char* word, double pixels) {
        if (const int value = twips(pixels); value != 0)
            appendWord(body_, word, value);
    };
    length("\\li", format.leftMargin());
    length("\\ri", format.rightMargin());
    length("\\fi", format.textIndent());
    length("\\sb", format.topMargin());
    length("\\sa", format.bottomMargin());
    switch (format.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        body_ +=
            "\\sl" + QByteArray::number(std::lround(format.lineHeight() * 240 / 100)) + "\\slmult1";
        break;
    case QTextBlockFormat::FixedHeight:
        body_ += "\\sl-" + QByteArray::number(twips(format.lineHeight())) + "\\slmult0";
        break;
    case QTextBlockFormat::MinimumHeight:
        body_ += "\\sl" + QByteArray::number(twips(format.lineHeight())) + "\\slmult0";
        break;
    default:
        break;
    }
    body_ += ' ';
    for (auto it = block.begin(); !it.atEnd(); ++it)
        writeFragment(it.fragment());
}

void RtfWriter::writeFragment(const QTextFragment& fragment) {
    const QTextCharFormat format = fragment.charFormat();
    QString text = fragment.text();
    const bool hidden = isHiddenText(format);
    if (hidden) // one object character per hidden run
        text = format.property(hiddenTextProperty).toString().repeated(text.size());
    const bool link = format.isAnchor() && !format.anchorHref().isEmpty();
    if (link) {
        QString target = format.anchorHref();
        target.replace(u'\\', QLatin1String("\\\\")).replace(u'"', QLatin1String("\\\""));
        body_ += "{\\field{\\*\\fldinst{HYPERLINK \"";
        writeText(target);
        body_ += "\"}}{\\fldrslt";
    }
    body_ += '{';
    const qsizetype before = body_.size();
    writeCharFormat(format);
    if (hidden)
        body_ += "\\v";
    if (body_.size() != before)
        body_ += ' ';
    if (format.isImageFormat()) {
        for (const QChar c : text) {
            if (c == QChar::ObjectReplacementCharacter)
                writeImage(format);
            else
                writeText(QStringView(&c, 1));
        }
    } else {
        writeText(text);
    }
    body_ += '}';
    charset_ = 0;
    if (link)
        body_ += "}}";
}

void RtfWriter::writeCharFormat(const QTextCharFormat& format) {
    const QStringList families = format.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.front().isEmpty()) {
        const int charset = std::max(format.intProperty(fontCharsetProperty), 0);
        appendWord(body_, "\\f", fontIndex(families.front(), charset));
        charset_ = charset;
    }
    if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0)
        appendWord(body_, "\\fs", std::lround(format.fontPointSize() * 2));
    if (format.hasProperty(QTextFormat::FontWeight) && format.fontWeight() >= QFont::DemiBold)
        body_ += "\\b";
    if (format.fontItalic())
        body_ += "\\i";
    if (format.fontUnderline())
        body_ += "\\ul";
    if (format.fontStrikeOut())
        body_ += "\\strike";
    if (format.fontCapitalization() == QFont::SmallCaps)
        body_ += "\\scaps";
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        body_ += "\\super";
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        body_ += "\\sub";
    const auto color = [this](const char* word, const QBrush& brush) {
        if (brush.style() != Qt::NoBrush)
            appendWord(body_, word, colorIndex(brush.color()));
    };
    if (format.hasProperty(QTextFormat::ForegroundBrush))
        color("\\cf", format.foreground());
    if (format.hasProperty(QTextFormat::BackgroundBrush))
        color("\\highlight", format.background());
}

void RtfWriter::writeImage(const QTextCharFormat& format) {
    const QTextImageFormat image = format.toImageFormat();
    // A picture shown many times is encoded once.
    auto found = images_.constFind(image.name());
    if (found == images_.constEnd())
        found = images_.insert(image.name(), storedImage(document_, image.name()));
    const StoredImage& stored = *found;
    if (stored.bytes.isEmpty())
        return;
    const double width = image.width() > 0 ? image.width() : stored.pixels.width();
    const double height = image.height() > 0 ? image.height() : stored.pixels.height();
    body_ += stored.jpeg ? "{\\pict\\jpegblip" : "{\\pict\\pngblip";
    body_ += "\\picw" + QByteArray::number(std::max(stored.pixels.width(), 1)) + "\\pich" +
             QByteArray::number(std::max(stored.pixels.height(), 1)) + "\\picwgoal" +
             QByteArray::number(twips(width)) + "\\pichgoal" + QByteArray::number(twips(height));
    const QByteArray hex = stored.bytes.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128) {
        body_ += '\n';
        body_ += QByteArrayView(hex).sliced(i, std::min<qsizetype>(128, hex.size() - i));
    }
    body_ += "}";
}

void RtfWriter::writeText(QStringView text) {
    // Text in a font of another charset is read in that charset's code page: there every
    // character beyond ASCII, and in a symbol font every letter, goes as \uN.
    const bool ansi = charset_ == 0;
    const bool symbol = charset_ == symbolCharset;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        switch (unit) {
        case u'\\':
            body_ += "\\\\";
            continue;
        case u'{':
            body_ += "\\{";
            continue;
        case u'}':
            body_ += "\\}";
            continue;
        case u'\t':
            body_ += "\\tab ";
            continue;
        case QChar::LineSeparator:
            body_ += "\\line ";
            continue;
        case QChar::ParagraphSeparator:
            body_ += "\\par ";
            continue;
        default:
            break;
        }
        const unsigned char byte = ansi           ? cp1252Byte(unit)
                                   : unit >= 0x80 ? 0
                                   : symbol && QChar::isLetter(unit)
                                       ? 0
                                       : static_cast<unsigned char>(unit);
        // DEL goes as \uN too: double-byte code pages read the byte as no character.
        if (byte >= 0x20 && byte < 0x7F)
            body_ += char(byte);
        else if (byte >= 0x80)
            appendHex(body_, byte);
        else {
            appendWord(body_, "\\u", qint16(unit));
            body_ += '?';
        }
    }
}

int RtfWriter::fontIndex(const QString& family, int charset) {
    const std::pair key(family, charset);
    const auto found = fontIndexes_.constFind(key);
    if (found != fontIndexes_.constEnd())
        return *found;
    fonts_.append(Font{family, charset});
    return fontIndexes_[key] = int(fonts_.size());
}

int RtfWriter::colorIndex(const QColor& color) {
    const QRgb rgb = color.rgb() | 0xFF000000u;
    const auto found = colorIndexes_.constFind(rgb);
    if (found != colorIndexes_.constEnd())
        return *found;
    colors_.append(QColor::fromRgb(rgb));
    return colorIndexes_[rgb] = int(colors_.size());
}

} // namespace quill
