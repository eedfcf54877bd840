#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The process's working directory and simple questions about paths. Paths are bytes: a name
// that is not valid UTF-8 passes through unchanged.
namespace quill {

// The working directory as the system reports it. Throws IoFailure when it cannot be taken
// (for example when it was removed).
QByteArray currentWorkingDirectory();
// Throws IoFailure with the system's error number when the change is refused.
void changeWorkingDirectory(const QByteArray& path);
bool isDirectory(const QByteArray& path);
// True for an existing entry that is not a directory (symbolic links count as their target).
bool isExistingFile(const QByteArray& path);
// Whether names on the volume holding the path are told apart by letter case.
bool volumeIsCaseSensitive(const QByteArray& path);

} // namespace quill
