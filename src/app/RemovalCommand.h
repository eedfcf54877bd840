#pragma once

#include "app/ExchangeCommand.h"

#include <QStringList>

namespace quill {

// True when the first argument after the program is "removed" or "restore".
bool isRemovalCommand(const QStringList& arguments);

// Runs, without a display, `quillbook removed [FOLDER] [--limit SIZE]` or `quillbook restore
// [FOLDER] [--since TIME] [--match TEXT]` (arguments[0] is the program), with the statuses of
// the flashcard commands. `removed` lists the folder's removed pairs, newest first, one a line:
// time, word, meaning and cause, tab-separated; a tab, line break, backslash or byte 0 inside
// them shows as \t, \n or \r, \\ and \0. With --limit it sets the most every folder's history
// keeps. `restore` appends the pairs the lists do not hold, as an import does.
ExchangeResult runRemoval(const QStringList& arguments);

} // namespace quill
