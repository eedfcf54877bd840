#include "rtf/RtfReader.h"

#include "rtf/HyperlinkTarget.h"
#include "rtf/RtfFormatKeywords.h"
#include "rtf/RtfImages.h"

#include <QImage>
#include <QTextDocument>
#include <QTextImageFormat>

#include <algorithm>
#include <utility>

namespace quill {

RtfReader::RtfReader(QTextDocument& document) : document_(document), content_(document, tables_) {}

void RtfReader::read(QByteArrayView bytes, const ReadWatch& watch) {
    constexpr int tokensPerWatch = 4096;
    RtfTokenizer tokens(bytes);
    int count = 0;
    for (RtfToken token = tokens.next(); token.kind != RtfToken::Kind::End; token = tokens.next()) {
        if (!take(token))
            break; // the document's group is closed; what follows is not part of it
        if (watch && ++count % tokensPerWatch == 0 && !watch(tokens.position()))
            break;
    }
    flushBytes();
    flushPendingSurrogate();
    content_.finish(state_.paragraph);
}

bool RtfReader::take(const RtfToken& token) {
    using enum RtfToken::Kind;
    switch (token.kind) {
    case GroupOpen:
        openGroup();
        break;
    case GroupClose:
        closeGroup();
        return !(started_ && stack_.empty() && overflowDepth_ == 0);
    case ControlWord:
        controlWord(token.word, token.hasParameter, token.parameter);
        break;
    case ControlSymbol:
        controlSymbol(token.symbol);
        break;
    case HexByte:
        hexByte(token.parameter);
        break;
    case Text:
        text(token.bytes);
        break;
    case Binary:
        binary(token.bytes);
        break;
    case End:
        return false;
    }
    return true;
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

void RtfReader::controlSymbol(char symbol) {
    const bool wasOpened = std::exchange(justOpened_, false);
    if (symbol == '*') {
        if (wasOpened)
            starred_ = true;
        else
            ignoreNextWord_ = true;
        return;
    }
    if (skipping() || consumeSkippedCharacter())
        return;
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        addBytes(QByteArrayView(&symbol, 1));
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

void RtfReader::hexByte(int value) {
    justOpened_ = false;
    if (skipping() || consumeSkippedCharacter() || value < 0)
        return;
    const char byte = char(value);
    addBytes(QByteArrayView(&byte, 1));
}

void RtfReader::controlWord(std::string_view word, bool hasParameter, int parameter) {
    const bool starred = std::exchange(starred_, false);
    justOpened_ = false;
    const RtfKeyword found = rtfKeyword(word);
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

void RtfReader::binary(QByteArrayView bytes) {
    starred_ = false;
    justOpened_ = false;
    if (skipping() || consumeSkippedCharacter())
        return;
    if (state_.destination == Destination::Picture)
        picture_.addBinary(bytes);
}

bool RtfReader::consumeSkippedCharacter() {
    if (skipCount_ == 0)
        return false;
    --skipCount_;
    return true;
}

void RtfReader::text(QByteArrayView text) {
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
    if (keyword == RtfKeyword::Font && state_.destination == Destination::FontTable)
        tables_.defineFont(parameter);
    if (applyCharacterKeyword(state_.chars, keyword, hasParameter, parameter) ||
        applyParagraphKeyword(state_.paragraph, keyword, hasParameter, parameter) ||
        tableKeyword(keyword, hasParameter, parameter))
        return;
    contentKeyword(keyword, parameter);
}

// Code pages, the font and colour tables and the Unicode fallback count.
bool RtfReader::tableKeyword(RtfKeyword keyword, bool hasParameter, int parameter) {
    using enum RtfKeyword;
    const bool inFontTable = state_.destination == Destination::FontTable;
    switch (keyword) {
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
    case FontTable:
        state_.destination = Destination::FontTable;
        break;
    case ColorTable:
        state_.destination = Destination::ColorTable;
        tables_.startColorTable();
        break;
    case FontCharset:
        if (inFontTable)
            tables_.setFontCharset(parameter);
        break;
    case FontCodePage:
        if (inFontTable)
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
    default:
        return false;
    }
    return true;
}

// Characters, breaks, pictures, fields and destinations.
void RtfReader::contentKeyword(RtfKeyword keyword, int parameter) {
    using enum RtfKeyword;
    const bool inText = state_.destination == Destination::Text;
    switch (keyword) {
    case Unicode:
        addUnicode(parameter);
        break;
    case UnicodePair:
        state_.destination = Destination::SkipUntilUnicode;
        break;
    case Par:
        endParagraph();
        break;
    case Cell:
        if (inText)
            content_.endCell();
        break;
    case Row:
        endRow();
        break;
    case NestedRow:
        if (inText)
            content_.endNestedRow();
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
        content_.addText(text, state_.chars, state_.paragraph);
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

void RtfReader::endParagraph() {
    if (state_.destination != Destination::Text)
        return;
    flushPendingSurrogate();
    content_.endParagraph(state_.paragraph);
}

void RtfReader::endRow() {
    if (state_.destination != Destination::Text)
        return;
    flushPendingSurrogate();
    content_.endRow(state_.paragraph);
}

void RtfReader::finishPicture() {
    const RtfPicture picture = std::exchange(picture_, RtfPicture{});
    if (state_.destination != Destination::Text || (state_.chars.flags & CharStyle::Hidden) ||
        !picture.isShown())
        return;
    // A picture shown again with the same bytes is decoded and stored once.
    auto shown = shownPictures_.constFind(picture.bytes());
    if (shown == shownPictures_.constEnd()) {
        const QString name = QStringLiteral("rtf-image-%1").arg(++pictureCount_);
        const QImage image = addImageResource(document_, name, picture.bytes());
        shown = shownPictures_.insert(picture.bytes(), {name, image.size()});
    }
    QTextImageFormat format = picture.format(shown->name, shown->pixels);
    format.merge(tables_.charFormat(state_.chars));
    if (content_.hasPendingSeparator())
        flushPendingSurrogate();
    content_.addImage(format, state_.chars);
}

} // namespace quill
