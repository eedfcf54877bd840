#pragma once

#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

class QTextDocument;
class QTextImageFormat;

namespace quill {

// Fills a document in reading order: runs of text with one character format each, paragraph
// ends with the format of the paragraph they close, and images. Text of one run is gathered
// and inserted at once, with the ends of paragraphs that keep the format of the one before,
// which keeps large files fast.
class DocumentBuilder {
public:
    explicit DocumentBuilder(QTextDocument& document);

    // The format for the text that follows; the run gathered so far keeps its own.
    void setCharFormat(const QTextCharFormat& format);
    void append(QStringView text) { run_ += text; }
    void append(QChar character) { run_ += character; }
    // Ends the current paragraph with the given format and starts the next one.
    void endParagraph(const QTextBlockFormat& format);
    void insertImage(const QTextImageFormat& format);
    // Gives the last paragraph its format; nothing may follow.
    void finish(const QTextBlockFormat& format);

private:
    void flushRun();
    void setBlockFormat(const QTextBlockFormat& format);

    QTextCursor cursor_;
    QTextBlockFormat blockFormat_; // of the paragraph being filled
    QString run_;
    QTextCharFormat runFormat_;
};

} // namespace quill
