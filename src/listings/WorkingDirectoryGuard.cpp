#include "listings/WorkingDirectoryGuard.h"

#include "listings/IoFailure.h"
#include "listings/WorkingDirectory.h"

#include <unistd.h>

namespace quill {

WorkingDirectoryGuard::WorkingDirectoryGuard() {
    try {
        noted_ = currentWorkingDirectory();
    } catch (const IoFailure&) {
        // A working directory that was removed cannot be made current again.
    }
}

WorkingDirectoryGuard::~WorkingDirectoryGuard() {
    if (!released_ && !noted_.isEmpty())
        (void)::chdir(noted_.constData());
}

} // namespace quill
