#include "rtf/NotesFootprint.h"

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
// The document's positions are 26.6 fixed point numbers, so it must stay below 2^25 pixels;
// at 16 pixels a line that is about two million lines. A paragraph's layout holds all its
// glyphs in one allocation sized by a 32-bit number (it fails silently beyond, leaving the pane
// blank) and is laid out in one go, seconds for ten megabytes, so a paragraph stays well below.
constexpr qint64 MostLines = 1'500'000;
constexpr qint64 LongestParagraph = 12 * 1024 * 1024;
// Lines are wrapped at the pane's width, at least this many characters each.
constexpr qint64 CharactersPerLine = 60;
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

void NotesFootprint::count(QByteArrayView soFar) {
    if (!started_ && soFar.size() >= 8) {
        started_ = true;
        rich_ = isRichText(soFar);
    }
    if (!started_)
        return;
    // A line end or mark cut off at the end of the piece is counted with the next one.
    countUpTo(soFar, soFar.size() - (rich_ ? LongestMark : 1));
}

void NotesFootprint::finish(QByteArrayView all) {
    if (!started_) {
        started_ = true;
        rich_ = isRichText(all);
    }
    countUpTo(all, all.size());
}

void NotesFootprint::countUpTo(QByteArrayView bytes, qsizetype end) {
    for (qsizetype i = counted_; i < end; ++i) {
        const char c = bytes[i];
        ++paragraphBytes_;
        if (rich_) {
            if (c == '\\' &&
                isParagraphMark(bytes.sliced(i, std::min(LongestMark, bytes.size() - i))))
                endParagraph();
        } else if (c == '\n' || (c == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) {
            endParagraph();
        }
    }
    counted_ = std::max(counted_, end);
}

void NotesFootprint::endParagraph() {
    longestParagraph_ = std::max(longestParagraph_, paragraphBytes_);
    if (paragraphBytes_ > LongParagraph)
        longBytes_ += paragraphBytes_;
    paragraphBytes_ = 0;
    ++paragraphs_;
}

qint64 NotesFootprint::memoryBytes() const {
    const qint64 longBytes = longBytes_ + (paragraphBytes_ > LongParagraph ? paragraphBytes_ : 0);
    return counted_ * (1 + TextBytes) + paragraphs_ * ParagraphBytes + longBytes * LayoutBytes;
}

bool NotesFootprint::displayable() const {
    return std::max(longestParagraph_, paragraphBytes_) <= LongestParagraph &&
           paragraphs_ + counted_ / CharactersPerLine <= MostLines;
}

} // namespace quill
