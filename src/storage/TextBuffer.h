#pragma once

#include "storage/SafeFile.h"

#include <QByteArray>

namespace quill {

// The hidden composing buffer of the main window (Memo1): lines ended by CR LF.
class TextBuffer {
public:
    // Every CR LF stays, every other CR or LF becomes CR LF. Throws Failure
    // "Text exceeds memo capacity" when the result is larger than the capacity.
    void setText(QByteArrayView text);
    // setText() taking the text's own buffer when its breaks are all CR LF already.
    void takeText(QByteArray text);
    // Appends the line and CR LF. Throws the same Failure when the buffer cannot hold it.
    void appendLine(QByteArrayView line);
    const QByteArray& text() const { return text_; }
    // Writes the whole text to the file as list files are written.
    void writeToFile(const QString& path) const;
    // The same, with a watcher that sees the writing and may throw to end it.
    void writeToFile(const QString& path, const WriteWatcher& watch) const;

    void setCapacity(qsizetype bytes) { capacity_ = bytes; }
    qsizetype capacity() const { return capacity_; }

private:
    QByteArray text_;
    qsizetype capacity_ = qsizetype(1) << 30;
};

} // namespace quill
