#pragma once

#include <QByteArray>
#include <QString>

namespace quill {

// Reads a whole regular file. FIFOs, folders and devices are refused without blocking.
// Throws OpenFailure with "Cannot open file "<full path>". <error text>".
// Files larger than maxBytes are refused with the error text "File too large".
QByteArray readWholeFile(const QString& path, qsizetype maxBytes);

// Replaces the file with the bytes, or leaves the old file whole. A temporary file is written
// in the target's folder (through a symbolic link to its target), every byte checked, flushed
// and synced, then renamed over the old file, keeping its permissions.
// Throws Failure "Cannot create file "<full path>". <error text>" when the file cannot be
// created (read-only file or folder) and "Stream write error" when writing or syncing fails.
void writeFileAtomically(const QString& path, QByteArrayView bytes);

// The platform's error text for errno, trailing blanks and periods removed.
QString errorText(int errorNumber);

} // namespace quill
