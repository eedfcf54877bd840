#include "rtf/RtfContent.h"

#include "rtf/HiddenText.h"
#include "rtf/RtfTables.h"

#include <QTextDocument>
#include <QTextImageFormat>

namespace quill {

RtfContent::RtfContent(QTextDocument& document, RtfTables& tables)
    : document_(document), tables_(tables), builder_(document) {}

void RtfContent::addText(QStringView text, const CharStyle& chars,
                         const ParagraphStyle& paragraph) {
    if (chars.flags & CharStyle::Hidden) {
        addHiddenText(text, chars);
        return;
    }
    addSeparator(chars);
    builder_.setCharFormat(tables_.charFormat(chars));
    appendShownText(text, chars, paragraph);
}

void RtfContent::addSeparator(const CharStyle& chars) {
    if (pendingSeparator_ == Separator::None)
        return;
    flushHiddenText();
    const bool cells = pendingSeparator_ == Separator::Cell;
    pendingSeparator_ = Separator::None;
    builder_.setCharFormat(tables_.charFormat(chars));
    if (cells) {
        for (; pendingCells_ > 0; --pendingCells_)
            builder_.append(u'\t');
    } else {
        builder_.append(QChar::LineSeparator);
    }
    pendingCells_ = 0;
}

// Hidden text is added only right before what follows it, and a run whose format looks the same
// continues the one before: two hidden runs side by side would be written as one.
void RtfContent::addHiddenText(QStringView text, const CharStyle& chars) {
    if (!hiddenText_.isEmpty() && hiddenStyle_ != chars) {
        const QTextCharFormat format = tables_.charFormat(chars);
        if (format != tables_.charFormat(hiddenStyle_))
            flushHiddenText();
    }
    hiddenStyle_ = chars;
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

void RtfContent::flushHiddenText() {
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

void RtfContent::appendShownText(QStringView text, const CharStyle& chars,
                                 const ParagraphStyle& paragraph) {
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
        append(text.sliced(start, i - start), chars);
        start = i + 1;
        if (c == u'\r' || c == u'\n' || c == u'\f' || c == 0x2029) {
            endParagraph(paragraph);
            builder_.setCharFormat(tables_.charFormat(chars));
        } else if (c == u'\v') {
            append(QStringView(u"\u2028"), chars);
        }
    }
    append(text.sliced(start), chars);
}

void RtfContent::append(QStringView text, const CharStyle& chars) {
    if (text.isEmpty())
        return;
    if (!hiddenText_.isEmpty()) {
        flushHiddenText();
        builder_.setCharFormat(tables_.charFormat(chars));
    }
    builder_.append(text);
}

void RtfContent::endParagraph(const ParagraphStyle& paragraph) {
    if (paragraph.inTable) {
        if (pendingSeparator_ == Separator::None)
            pendingSeparator_ = Separator::Line;
        return;
    }
    flushHiddenText();
    pendingSeparator_ = Separator::None;
    pendingCells_ = 0;
    builder_.endParagraph(tables_.blockFormat(paragraph));
}

void RtfContent::endCell() {
    pendingSeparator_ = Separator::Cell;
    ++pendingCells_;
}

void RtfContent::endNestedRow() {
    pendingSeparator_ = Separator::Line;
    pendingCells_ = 0;
}

void RtfContent::endRow(const ParagraphStyle& paragraph) {
    flushHiddenText();
    pendingSeparator_ = Separator::None;
    pendingCells_ = 0;
    builder_.endParagraph(tables_.blockFormat(paragraph));
}

void RtfContent::addImage(const QTextImageFormat& format, const CharStyle& chars) {
    flushHiddenText();
    addSeparator(chars);
    builder_.insertImage(format);
}

void RtfContent::finish(const ParagraphStyle& paragraph) {
    flushHiddenText();
    builder_.finish(tables_.blockFormat(paragraph));
}

} // namespace quill
