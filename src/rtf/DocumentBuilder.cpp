#include "rtf/DocumentBuilder.h"

#include <QTextDocument>
#include <QTextImageFormat>

namespace quill {

DocumentBuilder::DocumentBuilder(QTextDocument& document) : cursor_(&document) {}

void DocumentBuilder::setCharFormat(const QTextCharFormat& format) {
    if (format == runFormat_)
        return;
    flushRun();
    runFormat_ = format;
}

void DocumentBuilder::endParagraph(const QTextBlockFormat& format) {
    flushRun();
    cursor_.setBlockFormat(format);
    cursor_.insertBlock(format, runFormat_);
}

void DocumentBuilder::insertImage(const QTextImageFormat& format) {
    flushRun();
    cursor_.insertImage(format);
}

void DocumentBuilder::finish(const QTextBlockFormat& format) {
    flushRun();
    cursor_.setBlockFormat(format);
}

void DocumentBuilder::flushRun() {
    if (run_.isEmpty())
        return;
    cursor_.insertText(run_, runFormat_);
    run_.clear();
}

} // namespace quill
