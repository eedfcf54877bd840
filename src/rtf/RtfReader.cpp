#include "rtf/RtfReader.h"

#include "rtf/HiddenText.h"
#include "rtf/HyperlinkTarget.h"

#include <QTextDocument>
#include <QTextImageFormat>

#include <algorithm>
#include <limits>

namespace quill {

namespace {

constexpr int maxTwips = 31680; // 22 inches, the largest page Word accepts
constexpr int maxHalfPoints = 3276;

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Text bytes end at these; everything between is one run.
bool isSpecial(char c) {
    return c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n' || c == '\0';
}

int clampTwips(int value) {
    return std::clamp(value, -maxTwips, maxTwips);
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
    flushHiddenText();
    builder_.finish(tables_.blockFormat(state_.paragraph));
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
        tables_.finishFontName();
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
        picture_.addBinary(bytes);
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
        tables_.setDocumentCodePage(1252);
        break;
    case Mac:
        tables_.setDocumentCodePage(10000);
        break;
    case Pc:
        tables_.setDocumentCodePage(437);
        break;
    case Pca:
        tables_.setDocumentCodePage(850);
        break;
    case AnsiCodePage:
        tables_.setDocumentCodePage(hasParameter ? parameter : 1252);
        break;
    case DefaultFont:
        tables_.setDefaultFont(parameter);
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
        tables_.startColorTable();
        break;
    case Font:
        if (destination == Destination::FontTable) {
            tables_.defineFont(parameter);
        }
        chars.font = parameter;
        break;
    case FontCharset:
        if (destination == Destination::FontTable)
            tables_.setFontCharset(parameter);
        break;
    case FontCodePage:
        if (destination == Destination::FontTable)
            tables_.setFontCodePage(parameter);
        break;
    case Red:
        tables_.setRed(parameter);
        break;
    case Green:
        tables_.setGreen(parameter);
        break;
    case Blue:
        tables_.setBlue(parameter);
        break;
    case Plain:
        chars = CharStyle{};
        break;
    case Bold:
        setFlag(CharStyle::Bold, on);
        break;
    case Italic:
        setFlag(CharStyle::Italic, on);
        break;
    case Underline:
        setFlag(CharStyle::Underline, on);
        break;
    case UnderlineNone:
        setFlag(CharStyle::Underline, false);
        break;
    case Strike:
        setFlag(CharStyle::Strike, on);
        break;
    case Superscript:
        setFlag(CharStyle::Subscript, false);
        setFlag(CharStyle::Superscript, on);
        break;
    case Subscript:
        setFlag(CharStyle::Superscript, false);
        setFlag(CharStyle::Subscript, on);
        break;
    case NoSuperSub:
        setFlag(CharStyle::Superscript | CharStyle::Subscript, false);
        break;
    case Hidden:
        setFlag(CharStyle::Hidden, on);
        break;
    case SmallCaps:
        setFlag(CharStyle::SmallCaps, on);
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
        picture_ = RtfPicture{};
        break;
    case PngBlip:
        picture_.setKind(RtfPicture::Kind::Png);
        break;
    case JpegBlip:
        picture_.setKind(RtfPicture::Kind::Jpeg);
        break;
    case PictureWidth:
    case PictureHeight:
    case PictureGoalWidth:
    case PictureGoalHeight:
    case PictureScaleX:
    case PictureScaleY:
        picture_.setSize(keyword, parameter);
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
    default:
        if (const char16_t character = rtfCharacter(keyword))
            addCharacter(character);
        break;
    }
}

void RtfReader::startFieldResult() {
    const QString target = hyperlinkTarget(fieldInstruction_);
    fieldInstruction_.clear();
    if (target.isEmpty())
        return;
    state_.chars.link = tables_.addLink(target);
}

void RtfReader::addBytes(QByteArrayView bytes) {
    if (state_.destination == Destination::Picture) {
        picture_.addHex(bytes);
        return;
    }
    if (state_.destination == Destination::ColorTable) {
        tables_.addColorTableText(bytes);
        return;
    }
    const CodePage& page = state_.destination == Destination::FontTable
                               ? tables_.codePageOfFontName()
                               : tables_.codePageOfFont(state_.chars.font);
    if (page.isMultiByte()) {
        if (pendingPage_ != &page)
            flushBytes();
        pendingPage_ = &page;
        pendingBytes_ += bytes;
        return;
    }
    flushBytes();
    // Mostly plain ASCII: decode the run at once, into a buffer that is kept for the next.
    decoded_.resize(bytes.size());
    char16_t* out = reinterpret_cast<char16_t*>(decoded_.data());
    for (const char c : bytes)
        *out++ = page.character(static_cast<unsigned char>(c));
    addText(decoded_);
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
        if (state_.chars.flags & CharStyle::Hidden) {
            addHiddenText(text);
            return;
        }
        flushHiddenText();
        if (pendingSeparator_ != Separator::None) {
            const bool cells = pendingSeparator_ == Separator::Cell;
            pendingSeparator_ = Separator::None;
            builder_.setCharFormat(tables_.charFormat(state_.chars));
            if (cells) {
                for (; pendingCells_ > 0; --pendingCells_)
                    builder_.append(u'\t');
            } else {
                builder_.append(QChar::LineSeparator);
            }
            pendingCells_ = 0;
        }
        builder_.setCharFormat(tables_.charFormat(state_.chars));
        appendShownText(text);
        break;
    case Destination::FontTable:
        tables_.addFontName(text);
        break;
    case Destination::FieldInstruction:
        fieldInstruction_ += text;
        break;
    default:
        break;
    }
}

void RtfReader::addHiddenText(QStringView text) {
    if (!hiddenText_.isEmpty() && hiddenStyle_ != state_.chars)
        flushHiddenText();
    hiddenStyle_ = state_.chars;
    // Line ends within hidden text end no paragraph; NUL and frame markers are dropped.
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit == u'\v')
            hiddenText_ += QChar::LineSeparator;
        else if ((unit >= 0x20 || unit == u'\t') && unit != 0x2029 && unit != 0xFDD0 &&
                 unit != 0xFDD1)
            hiddenText_ += c;
    }
}

void RtfReader::flushHiddenText() {
    if (hiddenText_.isEmpty())
        return;
    if (!hiddenShown_) {
        hideHiddenText(document_);
        hiddenShown_ = true;
    }
    builder_.setCharFormat(hiddenTextFormat(tables_.charFormat(hiddenStyle_), hiddenText_));
    builder_.append(QChar::ObjectReplacementCharacter);
    hiddenText_.clear();
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
            builder_.setCharFormat(tables_.charFormat(state_.chars));
        } else if (c == u'\v') {
            builder_.append(QChar::LineSeparator);
        }
    }
    builder_.append(text.sliced(start));
}

void RtfReader::endParagraph() {
    if (state_.destination != Destination::Text)
        return;
    flushPendingSurrogate();
    flushHiddenText();
    if (state_.paragraph.inTable) {
        // A paragraph inside a cell: a line break if more text of the cell follows.
        if (pendingSeparator_ == Separator::None)
            pendingSeparator_ = Separator::Line;
        return;
    }
    pendingSeparator_ = Separator::None;
    pendingCells_ = 0;
    builder_.endParagraph(tables_.blockFormat(state_.paragraph));
}

void RtfReader::endRow() {
    if (state_.destination != Destination::Text)
        return;
    flushPendingSurrogate();
    flushHiddenText();
    pendingSeparator_ = Separator::None;
    pendingCells_ = 0;
    builder_.endParagraph(tables_.blockFormat(state_.paragraph));
}

void RtfReader::finishPicture() {
    const RtfPicture picture = std::exchange(picture_, RtfPicture{});
    if (state_.destination != Destination::Text || (state_.chars.flags & CharStyle::Hidden) ||
        !picture.isShown())
        return;
    QTextImageFormat format =
        picture.addTo(document_, QStringLiteral("rtf-image-%1").arg(++pictureCount_));
    format.merge(tables_.charFormat(state_.chars));
    flushHiddenText();
    if (pendingSeparator_ != Separator::None)
        addText(QStringView()); // puts the pending cell or line separator before the image
    builder_.insertImage(format);
}

} // namespace quill
