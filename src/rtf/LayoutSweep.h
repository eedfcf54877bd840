#pragma once

#include <QTextBlock>

#include <chrono>
#include <memory>

class QTextDocument;

namespace quill {

// Lays a document out to its end a piece at a time, so that the event loop can turn between the
// pieces, and sums up the height of what it laid out. Meanwhile the document's layout takes no
// steps of its own from its timer: those go up to 200,000 characters at a time.
class LayoutSweep {
public:
    explicit LayoutSweep(QTextDocument& document);
    ~LayoutSweep();

    // Lays out further paragraphs for about `slice`, at least one; false once the whole document
    // is laid out.
    bool advance(std::chrono::milliseconds slice);
    // How much of the document is laid out, by its characters, from 0 to 1.
    double done() const;
    // The heights of the lines laid out so far and their paragraphs' margins, added up: the
    // height of the document laid out so far, or more where table cells stand side by side.
    // Taken from the lines, not from their positions, so it holds however tall the document.
    qreal height() const { return height_; }
    // The paragraphs and lines laid out so far.
    qint64 paragraphs() const { return paragraphs_; }
    qint64 lines() const { return lines_; }

private:
    class TimerHold;

    QTextDocument& document_;
    std::unique_ptr<TimerHold> hold_;
    QTextBlock next_;
    qreal height_ = 0;
    qint64 paragraphs_ = 0;
    qint64 lines_ = 0;
};

} // namespace quill
