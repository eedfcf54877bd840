#pragma once

#include "dialogs/Dialogs.h"
#include "storage/SafeFile.h"
#include "window/WaitCursor.h"

#include <QString>

#include <memory>

namespace quill {

// Thrown when the user cancels long work in its progress window; the command ends silently.
struct WorkCancelled {};

// Work on whole lists that may take seconds: the busy cursor from the start, and a progress
// window with Cancel once the work has run a while (the window appears only then). Used only
// where stopping loses nothing: a file not yet read, or a file not yet put in place.
class LongWork {
public:
    LongWork(Dialogs& dialogs, const QString& caption);

    // Reports `done` of `total` steps. Throws WorkCancelled once the user has cancelled.
    void step(qint64 done, qint64 total);
    // Watchers reporting a file's reading and writing as steps.
    ReadWatcher readWatcher();
    WriteWatcher writeWatcher();

private:
    WaitCursor busy_;
    Dialogs& dialogs_;
    QString caption_;
    std::unique_ptr<Dialogs::Progress> progress_;
};

} // namespace quill
