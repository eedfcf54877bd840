#include "dialogs/QtProgress.h"

#include <QCoreApplication>

namespace quill {

QtProgress::QtProgress(QWidget* owner, const QString& caption, qint64 total)
    : dialog_(owner), total_(total > 0 ? total : 1) {
    dialog_.setWindowTitle(caption);
    dialog_.setCancelButtonText(QCoreApplication::translate("QtProgress", "Cancel"));
    dialog_.setWindowModality(Qt::ApplicationModal);
    dialog_.setMinimumDuration(500);
    dialog_.setAutoClose(false);
    dialog_.setAutoReset(false);
    dialog_.setRange(0, scale);
    dialog_.setValue(0);
}

bool QtProgress::update(qint64 done) {
    // setValue() shows the window once the work has run long enough and, while it is shown and
    // modal, takes the pending events; the extra round keeps Cancel responsive between values.
    // Before it shows, the windows still repaint and timers run, but what the user does waits
    // for the window, which then keeps it from the others.
    dialog_.setValue(int(done * scale / total_));
    QCoreApplication::processEvents(dialog_.isVisible() ? QEventLoop::AllEvents
                                                        : QEventLoop::ExcludeUserInputEvents);
    return !dialog_.wasCanceled();
}

} // namespace quill
