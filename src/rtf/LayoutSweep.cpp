#include "rtf/LayoutSweep.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace quill {

namespace {

qreal paragraphHeight(const QTextBlock& block) {
    const QTextBlockFormat format = block.blockFormat();
    const QTextLayout* layout = block.layout();
    qreal height = format.topMargin() + format.bottomMargin();
    for (int i = 0; i < layout->lineCount(); ++i) {
        // The layout moves on by whole pixels, and by a fixed or proportional line height where
        // that is more than the line's own.
        const qreal line = std::ceil(layout->lineAt(i).height());
        height += std::max(line, format.lineHeight(line, 1));
    }
    return height;
}

} // namespace

// Keeps the timer events from the layout while it is installed.
class LayoutSweep::TimerHold : public QObject {
public:
    explicit TimerHold(QObject& layout) : layout_(&layout) { layout.installEventFilter(this); }
    ~TimerHold() override {
        if (layout_)
            layout_->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        return watched == layout_ && event->type() == QEvent::Timer;
    }

private:
    QPointer<QObject> layout_;
};

LayoutSweep::LayoutSweep(QTextDocument& document)
    : document_(document), hold_(std::make_unique<TimerHold>(*document.documentLayout())),
      next_(document.begin()) {}

LayoutSweep::~LayoutSweep() = default;

bool LayoutSweep::advance(std::chrono::milliseconds slice) {
    QElapsedTimer clock;
    clock.start();
    QAbstractTextDocumentLayout* layout = document_.documentLayout();
    while (next_.isValid()) {
        // Lays out every paragraph up to this one that is not laid out yet.
        layout->blockBoundingRect(next_);
        height_ += paragraphHeight(next_);
        ++paragraphs_;
        lines_ += next_.layout()->lineCount();
        next_ = next_.next();
        if (clock.elapsed() >= slice.count())
            break;
    }
    return next_.isValid();
}

double LayoutSweep::done() const {
    if (!next_.isValid())
        return 1;
    return double(next_.position()) / double(std::max(document_.characterCount(), 1));
}

} // namespace quill
