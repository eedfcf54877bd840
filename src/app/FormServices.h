#pragma once

#include "insertions/FixedFolders.h"

namespace quill {

class Dialogs;

// What the main window is given from outside, so tests can replace each piece.
struct FormServices {
    Dialogs* dialogs = nullptr;
    // The folders the listing commands ask for ("/", "/opt", "/usr/bin").
    FixedFolders folders;
};

} // namespace quill
