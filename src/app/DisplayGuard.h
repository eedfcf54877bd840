#pragma once

#include <QString>

namespace quill {

// Watches the toolkit while it opens the display: when there is none to show the window on,
// the program says so in one line and ends with status 1, instead of the toolkit's own lines
// and an abort. The messages of a start that succeeds are passed on when the guard ends.
class DisplayGuard {
public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;

    // The line for a start without a display, naming what was looked for.
    static QString noDisplayLine();
};

} // namespace quill
