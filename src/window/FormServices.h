#pragma once

#include "datetime/Clock.h"
#include "datetime/FormatSettingsSource.h"
#include "launcher/FixedPrograms.h"
#include "launcher/Starter.h"
#include "listings/FixedFolders.h"

#include <QString>
#include <QtGlobal>

#include <memory>

namespace quill {

class Dialogs;
class SeedClock;

// What the main window is given from outside, so tests can replace each piece. The program
// fills in the machine's own pieces at start-up (productionServices()).
struct FormServices {
    Dialogs* dialogs = nullptr;
    // The local time and the user's date, time and number conventions for the date and time
    // commands.
    std::shared_ptr<const Clock> clock;
    std::shared_ptr<const FormatSettingsSource> formatSettings;
    // The folders the listing commands ask for ("/", "/opt", "/usr/bin").
    FixedFolders folders;
    // What the launcher commands start ("/usr/bin/doublecmd", ..., the folder "/usr/bin"), and
    // how.
    FixedPrograms programs;
    std::shared_ptr<Starter> starter;
    // The database file of the current user's key tree; empty means the default,
    // "$XDG_CONFIG_HOME/Quillbook/registry.sqlite3" (KeyStore::defaultPath()).
    QString registryStorePath;
    // How long a registry command may wait, in all, while another program holds the key store's
    // lock.
    int registryLockWaitMs = 2000;
    // Seeds of the random generators; the system's monotonic clock when null.
    SeedClock* seedClock = nullptr;
    // The most memory (entry bytes plus offsets) the primary field may take while a generator
    // adds to it; 0 gives every generator command a share of the memory available when it runs.
    qint64 generatorMemoryBudget = 0;
    // The most memory a notes file may take as it loads and becomes the pane's document, in
    // bytes, estimated from its characters and paragraphs while it is read; 0 gives it a share
    // of the memory available when the command runs.
    qint64 notesMemoryBudget = 0;
    // The most memory only the undo history may keep alive (entries the fields no longer hold),
    // in bytes; 0 gives it a quarter of the memory available when a step is recorded.
    qint64 undoMemoryBudget = 0;
};

} // namespace quill
