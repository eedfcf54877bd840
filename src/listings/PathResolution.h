#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace quill {

// Where a typed path leads: the folder to list, spelled as the system reports it after changing
// into it, and the part after the last "/" when that is a file name or a name pattern (empty
// when the path names a folder).
struct ResolvedPath {
    QByteArray directory;
    QByteArray lastPart;
};

bool hasWildcard(QByteArrayView name);

// Resolves a typed path against the working directory. "[name]" stands for the folder name
// (a file or a pattern between the brackets fails like a missing folder);
// a path naming a file gives the folder that holds it and the file's name; a last part with
// "*" or "?" is kept as a name pattern. Throws IoFailure when a folder on the way cannot be
// entered. The working directory is the same afterwards, also after a failure.
ResolvedPath resolvePath(QByteArrayView path);

} // namespace quill
