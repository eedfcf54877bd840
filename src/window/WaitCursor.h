#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace quill {

// The busy cursor for the rest of a scope, from the moment it is shown (at once, or when a wait
// turns out to be needed) until the scope ends, also through a failure.
class WaitCursor {
public:
    explicit WaitCursor(bool showNow = true) {
        if (showNow)
            show();
    }
    ~WaitCursor() {
        if (shown_)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    void show() {
        if (!shown_)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        shown_ = true;
    }

private:
    bool shown_ = false;
};

} // namespace quill
