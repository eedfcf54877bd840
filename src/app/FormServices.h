#pragma once

#include <QtGlobal>

namespace quill {

class Dialogs;
class SeedClock;

// What the main window is given from outside, so tests can replace each piece.
struct FormServices {
    Dialogs* dialogs = nullptr;
    // Seeds of the random generators; the system's monotonic clock when null.
    SeedClock* seedClock = nullptr;
    // The most memory (entry bytes plus offsets) the primary field may take while a generator
    // adds to it; 0 gives every generator command a share of the memory available when it runs.
    qint64 generatorMemoryBudget = 0;
};

} // namespace quill
