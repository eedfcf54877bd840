#include "rtf/NotesFootprint.h"

#include "rtf/NotesCapacity.h"
#include "rtf/NotesDocument.h"

#include <algorithm>

namespace quill {

namespace {

// Measured on a shown pane: a short paragraph costs about 160 bytes as a block with its layout.
constexpr qint64 ParagraphBytes = 256;
// Per character of text: the decoded text and the document's copy, two bytes each.
constexpr qint64 TextBytes = 4;
// A kept layout: character attributes, clusters and the shaped glyphs, per character.
constexpr qint64 LayoutBytes = 32;
// The longest paragraph mark that rich text spells: "\cell", "\page", "\sect".
constexpr qsizetype LongestMark = 5;

bool isParagraphMark(QByteArrayView rest) {
    for (const QByteArrayView mark : {"\\par", "\\cell", "\\row", "\\page", "\\sect"}) {
        if (rest.startsWith(mark))
            return true;
    }
    return false;
}

} // namespace

void NotesFootprint::start(QByteArrayView bytes) {
    started_ = true;
    if (isRichText(bytes))
        kind_ = Kind::RichText;
    else if (bytes.startsWith("\xFF\xFE"))
        kind_ = Kind::Utf16LittleEndian;
    else if (bytes.startsWith("\xFE\xFF"))
        kind_ = Kind::Utf16BigEndian;
    // A byte order mark is no character of the text.
    if (kind_ == Kind::Utf16LittleEndian || kind_ == Kind::Utf16BigEndian)
        counted_ = 2;
    else if (kind_ == Kind::Bytes && bytes.startsWith("\xEF\xBB\xBF"))
        counted_ = 3;
}

void NotesFootprint::count(QByteArrayView soFar) {
    if (!started_ && soFar.size() >= 8)
        start(soFar);
    if (!started_)
        return;
    // A line end or mark cut off at the end of the piece is counted with the next one.
    const qsizetype heldBack = kind_ == Kind::RichText ? LongestMark : kind_ == Kind::Bytes ? 1 : 4;
    countUpTo(soFar, soFar.size() - heldBack);
}

void NotesFootprint::finish(QByteArrayView all) {
    if (!started_)
        start(all);
    countUpTo(all, all.size());
}

void NotesFootprint::countUpTo(QByteArrayView bytes, qsizetype end) {
    if (end <= counted_)
        return;
    if (kind_ == Kind::RichText)
        countRichText(bytes, end);
    else
        countPlainText(bytes, end);
}

void NotesFootprint::countRichText(QByteArrayView bytes, qsizetype end) {
    for (qsizetype i = counted_; i < end; ++i) {
        ++paragraphLength_;
        if (bytes[i] == '\\' &&
            isParagraphMark(bytes.sliced(i, std::min(LongestMark, bytes.size() - i))))
            endParagraph();
    }
    counted_ = end;
}

// CR LF, lone CR and lone LF end a paragraph, as the plain text decoder has it.
void NotesFootprint::countPlainText(QByteArrayView bytes, qsizetype end) {
    const bool wide = kind_ != Kind::Bytes;
    const qsizetype step = wide ? 2 : 1;
    const auto unitAt = [&](qsizetype i) -> char16_t {
        const auto byte = [&](qsizetype at) {
            return char16_t(uchar(bytes[at]));
        };
        if (!wide)
            return byte(i);
        return kind_ == Kind::Utf16LittleEndian ? char16_t(byte(i) | byte(i + 1) << 8)
                                                : char16_t(byte(i) << 8 | byte(i + 1));
    };
    qsizetype i = counted_;
    for (; i + step <= end; i += step) {
        const char16_t unit = unitAt(i);
        if (unit == u'\n') {
            endParagraph();
        } else if (unit == u'\r') {
            if (i + 2 * step <= bytes.size() && unitAt(i + step) == u'\n')
                i += step;
            endParagraph();
        } else if (unit != 0 && (wide || (unit & 0xC0) != 0x80)) {
            ++paragraphLength_;
        }
    }
    counted_ = i;
}

void NotesFootprint::endParagraph() {
    longestParagraph_ = std::max(longestParagraph_, paragraphLength_);
    if (paragraphLength_ > LongParagraph)
        longBytes_ += paragraphLength_;
    paragraphLength_ = 0;
    ++paragraphs_;
}

qint64 NotesFootprint::memoryBytes() const {
    const qint64 longBytes = longBytes_ + (paragraphLength_ > LongParagraph ? paragraphLength_ : 0);
    return counted_ * (1 + TextBytes) + paragraphs_ * ParagraphBytes + longBytes * LayoutBytes;
}

qint64 NotesFootprint::longestParagraph() const {
    return std::max(longestParagraph_, paragraphLength_);
}

bool NotesFootprint::fitsPane() const {
    return kind_ == Kind::RichText || (paragraphs_ <= NotesCapacity::MostParagraphs &&
                                       longestParagraph() <= NotesCapacity::LongestParagraph);
}

} // namespace quill
