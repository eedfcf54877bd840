#pragma once

#include <QString>

namespace quill {

class Dialogs;

// What the main window is given from outside, so tests can replace each piece.
struct FormServices {
    Dialogs* dialogs = nullptr;
    // The database file of the current user's key tree; empty means the default,
    // "$XDG_CONFIG_HOME/Quillbook/registry.sqlite3" (KeyStore::defaultPath()).
    QString registryStorePath;
};

} // namespace quill
