#include "window/LongWork.h"

namespace quill {

LongWork::LongWork(Dialogs& dialogs, const QString& caption)
    : dialogs_(dialogs), caption_(caption) {}

void LongWork::step(qint64 done, qint64 total) {
    // Made at the first step, when the total is known; the window itself waits until the work
    // has taken a while.
    if (!progress_)
        progress_ = dialogs_.startProgress(caption_, total);
    if (!progress_->update(done))
        throw WorkCancelled{};
}

ReadWatcher LongWork::readWatcher() {
    return [this](QByteArrayView soFar, qint64 size) {
        step(soFar.size(), size);
    };
}

WriteWatcher LongWork::writeWatcher() {
    return [this](qint64 written, qint64 total) {
        step(written, total);
    };
}

} // namespace quill
