#include "rtf/RtfReader.h"

#include "rtf/RtfImages.h"

#include <QImage>
#include <QTextDocument>
#include <QTextImageFormat>

#include <algorithm>
#include <limits>

namespace quill {

namespace {

constexpr int maxTwips = 31680; // 22 inches, the largest page Word accepts
constexpr int maxHalfPoints = 3276;
constexpr double twipsPerPixel = 15.0; // 96 pixels per inch

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Text bytes end at these; everything between is one run.
bool isSpecial(char c) {
    return c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n' || c == '\0';
}

int clampTwips(int value) {
    return std::clamp(value, -maxTwips, maxTwips);
}

// The link target of a HYPERLINK field instruction: the first argument that is not a switch,
// "\l" arguments as a fragment. Backslashes inside quotes escape the next character.
QString hyperlinkTarget(const QString& instruction) {
    const QString trimmed = instruction.trimmed();
    if (!trimmed.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive))
        return {};
    QString target;
    bool fragment = false;
    qsizetype i = 9;
    while (i < trimmed.size()) {
        const QChar c = trimmed[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        QString argument;
        if (c == u'"') {
            ++i;
            while (i < trimmed.size() && trimmed[i] != u'"') {
                if (trimmed[i] == u'\\' && i + 1 < trimmed.size())
                    ++i;
                argument += trimmed[i++];
            }
            ++i;
        } else {
            while (i < trimmed.size() && !trimmed[i].isSpace())
                argument += trimmed[i++];
            if (argument == QLatin1String("\\l")) {
                fragment = true;
                continue;
            }
            if (argument.startsWith(u'\\')) // another switch, perhaps with an argument
                continue;
        }
        if (fragment)
            target += u'#' + argument;
        else if (target.isEmpty())
            target = argument;
        fragment = false;
    }
    return target;
}

} // namespace

RtfReader::RtfReader(QTextDocument& document) : document_(document), builder_(document) {}

void RtfReader::read(QByteArrayView bytes) {
    data_ = bytes;
    pos_ = 0;
    while (pos_ < data_.size()) {
        const char c = data_[pos_];
        if (c == '{') {
            ++pos_;
            openGroup();
        } else if (c == '}') {
            ++pos_;
            closeGroup();
            if (started_ && stack_.empty() && overflowDepth_ == 0)
                break; // the document's group is closed; what follows is not part of it
        } else if (c == '\\') {
            readControl();
        } else if (c == '\r' || c == '\n' || c == '\0') {
            ++pos_;
        } else {
            readText();
        }
    }
    flushBytes();
    flushPendingSurrogate();
    builder_.finish(blockFormat());
}

bool RtfReader::skipping() const {
    return state_.destination == Destination::Skip ||
           state_.destination == Destination::SkipUntilUnicode || overflowDepth_ > 0;
}

void RtfReader::openGroup() {
    flushBytes();
    skipCount_ = 0;
    starred_ = false;
    ignoreNextWord_ = false;
    justOpened_ = true;
    started_ = true;
    if (overflowDepth_ > 0 || stack_.size() >= maxDepth) {
        ++overflowDepth_;
        return;
    }
    stack_.push_back(state_);
}

void RtfReader::closeGroup() {
    flushBytes();
    skipCount_ = 0;
    starred_ = false;
    ignoreNextWord_ = false;
    justOpened_ = false;
    if (overflowDepth_ > 0) {
        --overflowDepth_;
        return;
    }
    if (stack_.empty())
        return; // a stray closing brace
    const Destination closing = state_.destination;
    if (closing == Destination::FontTable)
        finishFontName();
    if (stack_.size() == 1) {
        // The document's group: its last paragraph format is the one the last paragraph gets.
        stack_.pop_back();
        return;
    }
    state_ = stack_.back();
    stack_.pop_back();
    if (closing == Destination::Picture && state_.destination != Destination::Picture)
        finishPicture();
}

void RtfReader::readControl() {
    if (pos_ + 1 >= data_.size()) {
        pos_ = data_.size();
        return;
    }
    const char next = data_[pos_ + 1];
    if (isLetter(next)) {
        readControlWord();
        return;
    }
    pos_ += 2;
    const bool wasOpened = justOpened_;
    justOpened_ = false;
    if (next == '*') {
        if (wasOpened)
            starred_ = true;
        else
            ignoreNextWord_ = true;
        return;
    }
    if (next == '\'') {
        // Two hex digits; a malformed pair is dropped whole but still counts as one character.
        int value = -1;
        if (pos_ + 1 < data_.size() && !isSpecial(data_[pos_]) && !isSpecial(data_[pos_ + 1])) {
            const int high = hexValue(data_[pos_]);
            const int low = hexValue(data_[pos_ + 1]);
            if (high >= 0 && low >= 0)
                value = high * 16 + low;
            pos_ += 2;
        }
        if (skipping() || consumeSkippedCharacter() || value < 0)
            return;
        const char byte = char(value);
        addBytes(QByteArrayView(&byte, 1));
        return;
    }
    if (skipping() || consumeSkippedCharacter())
        return;
    switch (next) {
    case '\\':
    case '{':
    case '}':
        addBytes(QByteArrayView(&next, 1));
        break;
    case '~':
        addCharacter(u'\u00A0');
        break;
    case '-':
        addCharacter(u'\u00AD');
        break;
    case '_':
        addCharacter(u'\u2011');
        break;
    case '\r':
    case '\n':
        flushBytes();
        endParagraph();
        break;
    case '\t':
        addCharacter(u'\t');
        break;
    default:
        break;
    }
}

void RtfReader::readControlWord() {
    const qsizetype start = ++pos_;
    while (pos_ < data_.size() && isLetter(data_[pos_]))
        ++pos_;
    const std::string_view word(data_.data() + start, std::size_t(pos_ - start));
    bool negative = false;
    if (pos_ + 1 < data_.size() && data_[pos_] == '-' && isDigit(data_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    bool hasParameter = false;
    qint64 value = 0;
    while (pos_ < data_.size() && isDigit(data_[pos_])) {
        hasParameter = true;
        value = std::min<qint64>(value * 10 + (data_[pos_] - '0'), qint64(1) << 32);
        ++pos_;
    }
    if (pos_ < data_.size() && data_[pos_] == ' ')
        ++pos_;
    if (negative)
        value = -value;
    const int parameter = int(std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                                 std::numeric_limits<int>::max()));
    controlWord(word, hasParameter, parameter);
}

void RtfReader::controlWord(std::string_view word, bool hasParameter, int parameter) {
    const bool starred = std::exchange(starred_, false);
    justOpened_ = false;
    const RtfKeyword found = rtfKeyword(word);
    if (found == RtfKeyword::Binary) {
        binary(hasParameter, parameter);
        return;
    }
    if (skipping()) {
        // Inside \upr the \ud part holds the Unicode version of what was skipped.
        if (found == RtfKeyword::UnicodeVersion && overflowDepth_ == 0 && stack_.size() >= 2 &&
            stack_.back().destination == Destination::SkipUntilUnicode)
            state_.destination = stack_[stack_.size() - 2].destination;
        return;
    }
    if (std::exchange(ignoreNextWord_, false))
        return;
    if (starred && !isKnownStarredDestination(found)) {
        flushBytes();
        state_.destination = Destination::Skip;
        return;
    }
    if (consumeSkippedCharacter())
        return;
    flushBytes();
    keyword(found, hasParameter, parameter);
}

void RtfReader::binary(bool hasParameter, int parameter) {
    const qsizetype length =
        std::clamp<qsizetype>(hasParameter ? parameter : 0, 0, data_.size() - pos_);
    const QByteArrayView bytes = data_.sliced(pos_, length);
    pos_ += length;
    justOpened_ = false;
    if (skipping() || consumeSkippedCharacter())
        return;
    if (state_.destination == Destination::Picture) {
        picture_.bytes += bytes;
        picture_.highNibble = -1;
    }
}

bool RtfReader::consumeSkippedCharacter() {
    if (skipCount_ == 0)
        return false;
    --skipCount_;
    return true;
}

void RtfReader::readText() {
    const qsizetype start = pos_;
    while (pos_ < data_.size() && !isSpecial(data_[pos_]))
        ++pos_;
    QByteArrayView text = data_.sliced(start, pos_ - start);
    justOpened_ = false;
    if (skipping())
        return;
    if (skipCount_ > 0) {
        const qsizetype skipped = std::min<qsizetype>(skipCount_, text.size());
        skipCount_ -= int(skipped);
        text = text.sliced(skipped);
    }
    if (!text.isEmpty())
        addBytes(text);
}

void RtfReader::keyword(RtfKeyword keyword, bool hasParameter, int parameter) {
    using enum RtfKeyword;
    CharStyle& chars = state_.chars;
    ParagraphStyle& paragraph = state_.paragraph;
    const bool on = !hasParameter || parameter != 0;
    const auto setFlag = [&chars](std::uint16_t flag, bool set) {
        chars.flags = set ? (chars.flags | flag) : (chars.flags & ~flag);
    };
    const Destination destination = state_.destination;
    switch (keyword) {
    case Unknown:
    case Rtf:
    case OtherBlip:
    case Field:
    case ShownGroup:
    case UnicodeVersion:
        break;
    case Ansi:
        documentCodePage_ = 1252;
        cachedFont_ = -2;
        break;
    case Mac:
        documentCodePage_ = 10000;
        cachedFont_ = -2;
        break;
    case Pc:
        documentCodePage_ = 437;
        cachedFont_ = -2;
        break;
    case Pca:
        documentCodePage_ = 850;
        cachedFont_ = -2;
        break;
    case AnsiCodePage:
        documentCodePage_ = codePage(hasParameter ? parameter : 1252).number();
        cachedFont_ = -2;
        break;
    case DefaultFont:
        defaultFont_ = parameter;
        cachedFont_ = -2;
        break;
    case UnicodeSkip:
        state_.unicodeSkip = std::max(parameter, 0);
        break;
    case Unicode:
        addUnicode(parameter);
        break;
    case UnicodePair:
        state_.destination = Destination::SkipUntilUnicode;
        break;
    case FontTable:
        state_.destination = Destination::FontTable;
        break;
    case ColorTable:
        state_.destination = Destination::ColorTable;
        colors_.clear();
        red_ = green_ = blue_ = -1;
        break;
    case Font:
        if (destination == Destination::FontTable) {
            finishFontName();
            fontBeingDefined_ = parameter;
            fonts_[parameter] = FontEntry{};
            cachedFont_ = -2;
        }
        chars.font = parameter;
        break;
    case FontCharset:
        if (destination == Destination::FontTable && fonts_.contains(fontBeingDefined_)) {
            fonts_[fontBeingDefined_].charset = parameter;
            cachedFont_ = -2;
        }
        break;
    case FontCodePage:
        if (destination == Destination::FontTable && fonts_.contains(fontBeingDefined_)) {
            fonts_[fontBeingDefined_].codePage = parameter;
            cachedFont_ = -2;
        }
        break;
    case Red:
        red_ = std::clamp(parameter, 0, 255);
        break;
    case Green:
        green_ = std::clamp(parameter, 0, 255);
        break;
    case Blue:
        blue_ = std::clamp(parameter, 0, 255);
        break;
    case Plain:
        chars = CharStyle{};
        break;
    case Bold:
        setFlag(BoldFlag, on);
        break;
    case Italic:
        setFlag(ItalicFlag, on);
        break;
    case Underline:
        setFlag(UnderlineFlag, on);
        break;
    case UnderlineNone:
        setFlag(UnderlineFlag, false);
        break;
    case Strike:
        setFlag(StrikeFlag, on);
        break;
    case Superscript:
        setFlag(SubscriptFlag, false);
        setFlag(SuperscriptFlag, on);
        break;
    case Subscript:
        setFlag(SuperscriptFlag, false);
        setFlag(SubscriptFlag, on);
        break;
    case NoSuperSub:
        setFlag(SuperscriptFlag | SubscriptFlag, false);
        break;
    case Hidden:
        setFlag(HiddenFlag, on);
        break;
    case FontSize:
        chars.halfPoints = hasParameter && parameter > 0 ? std::min(parameter, maxHalfPoints) : 0;
        break;
    case Foreground:
        chars.foreground = std::max(parameter, 0);
        break;
    case Background:
        chars.background = std::max(parameter, 0);
        break;
    case ParagraphDefault:
        paragraph = ParagraphStyle{};
        break;
    case AlignLeft:
        paragraph.alignment = 0;
        break;
    case AlignCenter:
        paragraph.alignment = 1;
        break;
    case AlignRight:
        paragraph.alignment = 2;
        break;
    case AlignJustify:
        paragraph.alignment = 3;
        break;
    case LeftIndent:
        paragraph.leftIndent = clampTwips(parameter);
        break;
    case RightIndent:
        paragraph.rightIndent = clampTwips(parameter);
        break;
    case FirstIndent:
        paragraph.firstIndent = clampTwips(parameter);
        break;
    case SpaceBefore:
        paragraph.spaceBefore = std::clamp(parameter, 0, maxTwips);
        break;
    case SpaceAfter:
        paragraph.spaceAfter = std::clamp(parameter, 0, maxTwips);
        break;
    case LineSpacing:
        paragraph.lineSpacing = clampTwips(parameter);
        break;
    case LineMultiple:
        paragraph.lineMultiple = on;
        break;
    case InTable:
        paragraph.inTable = on;
        break;
    case Par:
        endParagraph();
        break;
    case Line:
        addCharacter(QChar::LineSeparator);
        break;
    case Tab:
        addCharacter(u'\t');
        break;
    case EmDash:
        addCharacter(u'\u2014');
        break;
    case EnDash:
        addCharacter(u'\u2013');
        break;
    case Bullet:
        addCharacter(u'\u2022');
        break;
    case LeftQuote:
        addCharacter(u'\u2018');
        break;
    case RightQuote:
        addCharacter(u'\u2019');
        break;
    case LeftDoubleQuote:
        addCharacter(u'\u201C');
        break;
    case RightDoubleQuote:
        addCharacter(u'\u201D');
        break;
    case EmSpace:
        addCharacter(u'\u2003');
        break;
    case EnSpace:
        addCharacter(u'\u2002');
        break;
    case QuarterSpace:
        addCharacter(u'\u2005');
        break;
    case LtrMark:
        addCharacter(u'\u200E');
        break;
    case RtlMark:
        addCharacter(u'\u200F');
        break;
    case ZeroWidthJoiner:
        addCharacter(u'\u200D');
        break;
    case ZeroWidthNonJoiner:
        addCharacter(u'\u200C');
        break;
    case Cell:
        if (destination == Destination::Text) {
            pendingSeparator_ = Separator::Cell;
            ++pendingCells_;
        }
        break;
    case Row:
        endRow();
        break;
    case NestedRow:
        if (destination == Destination::Text) {
            pendingSeparator_ = Separator::Line;
            pendingCells_ = 0;
        }
        break;
    case Picture:
        state_.destination = Destination::Picture;
        picture_ = PictureData{};
        picture_.kind = PictureData::Other;
        break;
    case PngBlip:
        picture_.kind = PictureData::Png;
        break;
    case JpegBlip:
        picture_.kind = PictureData::Jpeg;
        break;
    case PictureWidth:
        picture_.width = parameter;
        break;
    case PictureHeight:
        picture_.height = parameter;
        break;
    case PictureGoalWidth:
        picture_.goalWidth = parameter;
        break;
    case PictureGoalHeight:
        picture_.goalHeight = parameter;
        break;
    case PictureScaleX:
        picture_.scaleX = parameter;
        break;
    case PictureScaleY:
        picture_.scaleY = parameter;
        break;
    case Binary: // handled before
        break;
    case FieldInstruction:
        fieldInstruction_.clear();
        state_.destination = Destination::FieldInstruction;
        break;
    case FieldResult:
        startFieldResult();
        break;
    case SkippedDestination:
        state_.destination = Destination::Skip;
        break;
    }
}

void RtfReader::startFieldResult() {
    const QString target = hyperlinkTarget(fieldInstruction_);
    fieldInstruction_.clear();
    if (target.isEmpty())
        return;
    state_.chars.link = int(links_.size());
    links_.append(target);
}

void RtfReader::addBytes(QByteArrayView bytes) {
    if (state_.destination == Destination::Picture) {
        addPictureHex(bytes);
        return;
    }
    if (state_.destination == Destination::ColorTable) {
        for (const char c : bytes) {
            if (c != ';')
                continue;
            colors_.append(
                red_ < 0 && green_ < 0 && blue_ < 0
                    ? QColor()
                    : QColor(std::max(red_, 0), std::max(green_, 0), std::max(blue_, 0)));
            red_ = green_ = blue_ = -1;
        }
        return;
    }
    const CodePage& page = currentCodePage();
    if (page.isMultiByte()) {
        if (pendingPage_ != &page)
            flushBytes();
        pendingPage_ = &page;
        pendingBytes_ += bytes;
        return;
    }
    flushBytes();
    // Mostly plain ASCII: decode the run at once.
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (const char c : bytes)
        *out++ = page.character(static_cast<unsigned char>(c));
    addText(text);
}

void RtfReader::flushBytes() {
    if (pendingBytes_.isEmpty())
        return;
    const QString text = pendingPage_->decode(pendingBytes_);
    pendingBytes_.clear();
    pendingPage_ = nullptr;
    addText(text);
}

void RtfReader::addUnicode(int value) {
    if (value < -32768 || value > 65535)
        return; // no 16-bit value: the fallback that follows shows instead
    skipCount_ = state_.unicodeSkip;
    const char16_t unit = char16_t(value < 0 ? value + 65536 : value);
    if (unit == 0)
        return;
    if (QChar::isHighSurrogate(unit)) {
        flushPendingSurrogate();
        pendingHighSurrogate_ = unit;
        return;
    }
    if (QChar::isLowSurrogate(unit)) {
        if (pendingHighSurrogate_ == 0) {
            addCharacter(u'\uFFFD');
            return;
        }
        const char16_t pair[2] = {std::exchange(pendingHighSurrogate_, char16_t(0)), unit};
        addText(QStringView(pair, 2));
        return;
    }
    addCharacter(QChar::isNonCharacter(unit) ? char16_t(0xFFFD) : unit);
}

void RtfReader::flushPendingSurrogate() {
    if (pendingHighSurrogate_ == 0)
        return;
    pendingHighSurrogate_ = 0;
    addCharacter(u'\uFFFD');
}

void RtfReader::addText(QStringView text) {
    if (pendingHighSurrogate_ != 0 && !(text.size() == 2 && text.front().isHighSurrogate()))
        flushPendingSurrogate();
    switch (state_.destination) {
    case Destination::Text:
        if (state_.chars.flags & HiddenFlag)
            return;
        if (pendingSeparator_ != Separator::None) {
            const bool cells = pendingSeparator_ == Separator::Cell;
            pendingSeparator_ = Separator::None;
            builder_.setCharFormat(charFormat());
            if (cells) {
                for (; pendingCells_ > 0; --pendingCells_)
                    builder_.append(u'\t');
            } else {
                builder_.append(QChar::LineSeparator);
            }
            pendingCells_ = 0;
        }
        builder_.setCharFormat(charFormat());
        appendShownText(text);
        break;
    case Destination::FontTable:
        for (const QChar c : text) {
            if (c == u';')
                finishFontName();
            else
                fontName_ += c;
        }
        break;
    case Destination::FieldInstruction:
        fieldInstruction_ += text;
        break;
    default:
        break;
    }
}

void RtfReader::appendShownText(QStringView text) {
    // Characters a document cannot hold as text, from \'hh or \uN: line ends become paragraph
    // ends, the vertical tab Word uses for line breaks a line break, NUL and QTextDocument's
    // frame markers nothing.
    const auto special = [](char16_t c) {
        return c == 0 || c == u'\r' || c == u'\n' || c == u'\f' || c == u'\v' || c == 0x2029 ||
               c == 0xFDD0 || c == 0xFDD1;
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!special(c))
            continue;
        builder_.append(text.sliced(start, i - start));
        start = i + 1;
        if (c == u'\r' || c == u'\n' || c == u'\f' || c == 0x2029) {
            endParagraph();
            builder_.setCharFormat(charFormat());
        } else if (c == u'\v') {
            builder_.append(QChar::LineSeparator);
        }
    }
    builder_.append(text.sliced(start));
}

void RtfReader::addPictureHex(QByteArrayView bytes) {
    for (const char c : bytes) {
        const int value = hexValue(c);
        if (value < 0)
            continue;
        if (picture_.highNibble < 0) {
            picture_.highNibble = value;
        } else {
            picture_.bytes += char(picture_.highNibble * 16 + value);
            picture_.highNibble = -1;
        }
    }
}

void RtfReader::endParagraph() {
    if (state_.destination != Destination::Text)
        return;
    flushPendingSurrogate();
    if (state_.paragraph.inTable) {
        // A paragraph inside a cell: a line break if more text of the cell follows.
        if (pendingSeparator_ == Separator::None)
            pendingSeparator_ = Separator::Line;
        return;
    }
    pendingSeparator_ = Separator::None;
    pendingCells_ = 0;
    builder_.endParagraph(blockFormat());
}

void RtfReader::endRow() {
    if (state_.destination != Destination::Text)
        return;
    flushPendingSurrogate();
    pendingSeparator_ = Separator::None;
    pendingCells_ = 0;
    builder_.endParagraph(blockFormat());
}

void RtfReader::finishFontName() {
    if (fontBeingDefined_ < 0)
        return;
    const auto found = fonts_.find(fontBeingDefined_);
    if (found != fonts_.end() && found->name.isEmpty())
        found->name = fontName_.trimmed();
    fontName_.clear();
    fontBeingDefined_ = -1;
}

void RtfReader::finishPicture() {
    PictureData picture = std::exchange(picture_, PictureData{});
    if (state_.destination != Destination::Text || (state_.chars.flags & HiddenFlag) ||
        (picture.kind != PictureData::Png && picture.kind != PictureData::Jpeg) ||
        picture.bytes.isEmpty())
        return;
    const QString name = QStringLiteral("rtf-image-%1").arg(++pictureCount_);
    const QImage image = addImageResource(document_, name, picture.bytes);
    // Sizes: the goal in twips, else the picture's own pixels, scaled in per cent.
    const auto extent = [](int goal, int pixels, int fallback, int scale) {
        double size = goal > 0 ? goal / twipsPerPixel : pixels > 0 ? pixels : fallback;
        if (scale > 0 && scale <= 10000)
            size = size * scale / 100.0;
        return std::clamp(size, 1.0, 10000.0);
    };
    QTextImageFormat format;
    format.merge(charFormat());
    format.setName(name);
    format.setWidth(extent(picture.goalWidth, picture.width, image.width(), picture.scaleX));
    format.setHeight(extent(picture.goalHeight, picture.height, image.height(), picture.scaleY));
    if (pendingSeparator_ != Separator::None)
        addText(QStringView()); // puts the pending cell or line separator before the image
    builder_.insertImage(format);
}

const CodePage& RtfReader::codePage(int number) {
    auto found = codePages_.find(number);
    if (found == codePages_.end())
        found = codePages_.emplace(number, std::make_unique<CodePage>(number)).first;
    return *found->second;
}

const CodePage& RtfReader::currentCodePage() {
    const int font = state_.chars.font >= 0 ? state_.chars.font : defaultFont_;
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

const QTextCharFormat& RtfReader::charFormat() {
    const CharStyle& style = state_.chars;
    if (formatValid_ && style == formatStyle_)
        return format_;
    QTextCharFormat format;
    if (style.font >= 0) {
        const auto found = fonts_.constFind(style.font);
        if (found != fonts_.constEnd() && !found->name.isEmpty())
            format.setFontFamilies(QStringList{found->name});
    }
    if (style.halfPoints > 0)
        format.setFontPointSize(style.halfPoints / 2.0);
    if (style.flags & BoldFlag)
        format.setFontWeight(QFont::Bold);
    if (style.flags & ItalicFlag)
        format.setFontItalic(true);
    if (style.flags & UnderlineFlag)
        format.setFontUnderline(true);
    if (style.flags & StrikeFlag)
        format.setFontStrikeOut(true);
    if (style.flags & SuperscriptFlag)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (style.flags & SubscriptFlag)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (style.foreground > 0 && style.foreground < colors_.size() &&
        colors_[style.foreground].isValid())
        format.setForeground(colors_[style.foreground]);
    if (style.background > 0 && style.background < colors_.size() &&
        colors_[style.background].isValid())
        format.setBackground(colors_[style.background]);
    if (style.link >= 0) {
        format.setAnchor(true);
        format.setAnchorHref(links_[style.link]);
    }
    format_ = format;
    formatStyle_ = style;
    formatValid_ = true;
    return format_;
}

const QTextBlockFormat& RtfReader::blockFormat() {
    const ParagraphStyle& style = state_.paragraph;
    if (blockFormatValid_ && style == blockStyle_)
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
    blockStyle_ = style;
    blockFormatValid_ = true;
    return blockFormat_;
}

} // namespace quill
