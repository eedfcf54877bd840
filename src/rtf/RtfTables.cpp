#include "rtf/RtfTables.h"

#include "rtf/FormatProperties.h"

#include <algorithm>
#include <cstdlib>

namespace quill {

namespace {

constexpr double twipsPerPixel = 15.0; // 96 pixels per inch

} // namespace

void RtfTables::setDocumentCodePage(int number) {
    documentCodePage_ = codePage(number).number();
    cachedFont_ = -2;
}

void RtfTables::setDefaultFont(int font) {
    defaultFont_ = font;
    cachedFont_ = -2;
}

void RtfTables::defineFont(int font) {
    finishFontName();
    fontBeingDefined_ = font;
    fonts_[font] = Font{};
    cachedFont_ = -2;
    forgetCharFormats();
}

void RtfTables::setFontCharset(int charset) {
    if (const auto found = fonts_.find(fontBeingDefined_); found != fonts_.end()) {
        found->charset = charset;
        cachedFont_ = -2;
    }
}

void RtfTables::setFontCodePage(int codePage) {
    if (const auto found = fonts_.find(fontBeingDefined_); found != fonts_.end()) {
        found->codePage = codePage;
        cachedFont_ = -2;
    }
}

void RtfTables::addFontName(QStringView text) {
    for (const QChar c : text) {
        if (c == u';')
            finishFontName();
        else
            fontName_ += c;
    }
}

void RtfTables::finishFontName() {
    if (fontBeingDefined_ < 0)
        return;
    const auto found = fonts_.find(fontBeingDefined_);
    if (found != fonts_.end() && found->name.isEmpty())
        found->name = fontName_.trimmed();
    fontName_.clear();
    fontBeingDefined_ = -1;
    forgetCharFormats();
}

void RtfTables::startColorTable() {
    colors_.clear();
    red_ = green_ = blue_ = -1;
    forgetCharFormats();
}

void RtfTables::addColorTableText(QByteArrayView text) {
    for (const char c : text) {
        if (c != ';')
            continue;
        colors_.append(red_ < 0 && green_ < 0 && blue_ < 0
                           ? QColor()
                           : QColor(std::max(red_, 0), std::max(green_, 0), std::max(blue_, 0)));
        red_ = green_ = blue_ = -1;
        forgetCharFormats();
    }
}

int RtfTables::addLink(const QString& target) {
    links_.append(target);
    return int(links_.size() - 1);
}

const CodePage& RtfTables::codePage(int number) {
    // A file naming ever new code pages gets Windows-1252 beyond the first few dozen, so the
    // pages kept stay few.
    constexpr std::size_t maxCodePages = 64;
    auto found = codePages_.find(number);
    if (found == codePages_.end()) {
        if (codePages_.size() >= maxCodePages && number != 1252)
            return codePage(1252);
        found = codePages_.emplace(number, CodePage::shared(number)).first;
    }
    return *found->second;
}

const CodePage& RtfTables::codePageOfFont(int font) {
    if (font < 0)
        font = defaultFont_;
    if (font == cachedFont_ && cachedPage_)
        return *cachedPage_;
    int number = documentCodePage_;
    const auto found = fonts_.constFind(font);
    if (found != fonts_.constEnd()) {
        if (found->codePage > 0)
            number = found->codePage;
        else if (const int fromCharset = CodePage::forCharset(found->charset); fromCharset > 0)
            number = fromCharset;
    }
    cachedFont_ = font;
    cachedPage_ = &codePage(number);
    return *cachedPage_;
}

const CodePage& RtfTables::codePageOfFontName() {
    const CodePage& page = codePageOfFont(fontBeingDefined_);
    return page.number() == CodePage::symbol ? codePage(documentCodePage_) : page;
}

void RtfTables::forgetCharFormats() {
    charFormats_.clear();
    lastCharFormat_ = 0;
}

// Runs that share a style share one format too, which makes comparing them cheap.
const QTextCharFormat& RtfTables::charFormat(const CharStyle& style) {
    if (lastCharFormat_ < charFormats_.size() && charFormats_[lastCharFormat_].first == style)
        return charFormats_[lastCharFormat_].second;
    for (std::size_t i = 0; i < charFormats_.size(); ++i) {
        if (charFormats_[i].first == style) {
            lastCharFormat_ = i;
            return charFormats_[i].second;
        }
    }
    // A file with ever new styles starts over now and then, so the search stays short.
    constexpr std::size_t maxCharFormats = 32;
    if (charFormats_.size() >= maxCharFormats)
        charFormats_.clear();
    QTextCharFormat format;
    if (style.font >= 0) {
        const auto found = fonts_.constFind(style.font);
        if (found != fonts_.constEnd() && !found->name.isEmpty()) {
            format.setFontFamilies(QStringList{found->name});
            if (found->charset > 0)
                format.setProperty(fontCharsetProperty, found->charset);
        }
    }
    if (style.halfPoints > 0)
        format.setFontPointSize(style.halfPoints / 2.0);
    if (style.flags & CharStyle::Bold)
        format.setFontWeight(QFont::Bold);
    if (style.flags & CharStyle::Italic)
        format.setFontItalic(true);
    if (style.flags & CharStyle::Underline)
        format.setFontUnderline(true);
    if (style.flags & CharStyle::Strike)
        format.setFontStrikeOut(true);
    if (style.flags & CharStyle::SmallCaps)
        format.setFontCapitalization(QFont::SmallCaps);
    if (style.flags & CharStyle::Superscript)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (style.flags & CharStyle::Subscript)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    const auto color = [this](int index) {
        return index > 0 && index < colors_.size() ? colors_[index] : QColor();
    };
    if (const QColor foreground = color(style.foreground); foreground.isValid())
        format.setForeground(foreground);
    if (const QColor background = color(style.background); background.isValid())
        format.setBackground(background);
    if (style.link >= 0 && style.link < links_.size()) {
        format.setAnchor(true);
        format.setAnchorHref(links_[style.link]);
    }
    lastCharFormat_ = charFormats_.size();
    charFormats_.emplace_back(style, format);
    return charFormats_.back().second;
}

const QTextBlockFormat& RtfTables::blockFormat(const ParagraphStyle& style) {
    if (blockFormatValid_ && style == paragraphStyle_)
        return blockFormat_;
    QTextBlockFormat format;
    static constexpr Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                                   Qt::AlignJustify};
    format.setAlignment(alignments[style.alignment]);
    if (style.leftIndent != 0)
        format.setLeftMargin(style.leftIndent / twipsPerPixel);
    if (style.rightIndent != 0)
        format.setRightMargin(style.rightIndent / twipsPerPixel);
    if (style.firstIndent != 0)
        format.setTextIndent(style.firstIndent / twipsPerPixel);
    if (style.spaceBefore != 0)
        format.setTopMargin(style.spaceBefore / twipsPerPixel);
    if (style.spaceAfter != 0)
        format.setBottomMargin(style.spaceAfter / twipsPerPixel);
    if (style.lineSpacing != 0) {
        if (style.lineMultiple)
            format.setLineHeight(std::abs(style.lineSpacing) * 100.0 / 240.0,
                                 QTextBlockFormat::ProportionalHeight);
        else
            format.setLineHeight(std::abs(style.lineSpacing) / twipsPerPixel,
                                 style.lineSpacing < 0 ? QTextBlockFormat::FixedHeight
                                                       : QTextBlockFormat::MinimumHeight);
    }
    blockFormat_ = format;
    paragraphStyle_ = style;
    blockFormatValid_ = true;
    return blockFormat_;
}

} // namespace quill
