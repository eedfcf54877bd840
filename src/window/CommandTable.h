#pragma once

#include "window/TForm1.h"

#include <span>

namespace quill {

// One row per menu entry. depth 0 is a menu of the menu bar, 1 its entries, 2 the entries of
// a submenu and so on; a row followed by deeper rows is a submenu and runs no command.
// A leaf without a handler is an entry whose command is not connected yet.
struct CommandRow {
    int depth;
    const char16_t* caption;
    const char* name;
    TForm1::Handler handler;
    bool enabledAtStart = true;
};

std::span<const CommandRow> commandTable();

} // namespace quill
