#pragma once

#include "window/TForm1.h"

#include <QKeySequence>

#include <span>

namespace quill {

// One row per menu entry. depth 0 is a menu of the menu bar, 1 its entries, 2 the entries of
// a submenu and so on; a row followed by deeper rows is a submenu and runs no command.
// A leaf without a handler is an entry whose command is not connected yet. A command that is
// one of the desktop's standard commands takes the desktop's keys for it, shown in the menu, and
// `usualKeys` too ("Ctrl+Q" where quitting is left to the window manager, "Ctrl+Y" where redo is
// only Ctrl+Shift+Z), separated by "; ".
struct CommandRow {
    int depth;
    const char16_t* caption;
    const char* name;
    TForm1::Handler handler;
    bool enabledAtStart = true;
    QKeySequence::StandardKey keys = QKeySequence::UnknownKey;
    const char* usualKeys = nullptr;
};

std::span<const CommandRow> commandTable();

// The keys that run the row's command; none for most rows.
QList<QKeySequence> commandKeys(const CommandRow& row);

} // namespace quill
