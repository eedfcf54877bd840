#include "rtf/DocumentBuilder.h"

#include <QTextDocument>
#include <QTextImageFormat>

namespace quill {

// One edit block for the whole load: inside it the cursor skips laying out each line it
// touches, which otherwise costs more than the reading itself.
DocumentBuilder::DocumentBuilder(QTextDocument& document)
    : cursor_(&document), blockFormat_(cursor_.blockFormat()) {
    cursor_.beginEditBlock();
}

void DocumentBuilder::setCharFormat(const QTextCharFormat& format) {
    if (format == runFormat_)
        return;
    flushRun();
    runFormat_ = format;
}

// Each new paragraph starts with the format of the one before, which is the format most
// paragraphs end with, so few need setting again. Such a paragraph end goes into the run as a
// paragraph separator: one insertion then fills many paragraphs of the same character format.
void DocumentBuilder::endParagraph(const QTextBlockFormat& format) {
    if (format == blockFormat_) {
        run_ += QChar::ParagraphSeparator;
        return;
    }
    flushRun();
    setBlockFormat(format);
    cursor_.insertBlock(format, runFormat_);
}

void DocumentBuilder::setBlockFormat(const QTextBlockFormat& format) {
    if (format == blockFormat_)
        return;
    cursor_.setBlockFormat(format);
    blockFormat_ = format;
}

void DocumentBuilder::insertImage(const QTextImageFormat& format) {
    flushRun();
    cursor_.insertImage(format);
}

void DocumentBuilder::finish(const QTextBlockFormat& format) {
    flushRun();
    setBlockFormat(format);
    cursor_.endEditBlock();
}

void DocumentBuilder::flushRun() {
    if (run_.isEmpty())
        return;
    cursor_.insertText(run_, runFormat_);
    run_.resize(0); // keeps the buffer for the next run
}

} // namespace quill
