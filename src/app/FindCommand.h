#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstdio>

namespace quill {

// The exit statuses of `quillbook find`, as grep has them.
enum FindStatus : int {
    FindMatched = 0,
    FindNothing = 1,
    FindTrouble = 2, // a wrong command line, no such folder, a list that cannot be read
};

// What find prints and what its exit statuses mean, for the help texts: whole lines.
QString findHelp();

// True when the first argument after the program is "find".
bool isFindCommand(const QStringList& arguments);

// Runs `quillbook find TEXT [FOLDER] [--field 1|2]` without a display (arguments[0] is the
// program): every pair of the folder's lists (read as readFolderPairs() reads them) whose word
// or meaning holds TEXT, letter case and accents ignored as the window's find bar ignores them,
// goes to `out` as one line "index TAB word TAB meaning LF", in list order; `--field` looks in
// the words (1) or the meanings (2) only. Messages go to `err`. Gives the exit status.
int runFind(const QStringList& arguments, std::FILE* out = stdout, std::FILE* err = stderr);

// An entry as one column of such a line: its own bytes, UTF-8 or not, except that a backslash,
// a tab, a line feed, a carriage return and a byte 0 are written as \\, \t, \n, \r and \0.
void appendColumn(QByteArrayView entry, QByteArray& line);

} // namespace quill
