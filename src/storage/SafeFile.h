#pragma once

#include <QByteArray>
#include <QString>

namespace quill {

// Reads a whole regular file. FIFOs, folders and devices are refused without blocking.
// Throws OpenFailure with "Cannot open file "<full path>". <error text>".
// Files larger than maxBytes are refused with the error text "File too large"; that refusal is
// a plain Failure, not an OpenFailure, so callers that drop open failures still report it.
QByteArray readWholeFile(const QString& path, qsizetype maxBytes);

// Replaces the file with the bytes, or leaves the old file whole. A temporary file is written
// in the target's folder (through a symbolic link to its target), every byte checked, flushed
// and synced, then renamed over the old file, keeping its permissions.
// Throws Failure "Cannot create file "<full path>". <error text>" when the file cannot be
// created (read-only file or folder) and "Stream write error" when writing or syncing fails.
void writeFileAtomically(const QString& path, QByteArrayView bytes);

// The platform's error text for errno, trailing blanks and periods removed.
QString errorText(int errorNumber);

// The full path that failure messages name: absolute, with "." and ".." folded.
QString fullPath(const QString& path);

// One atomic save in steps, for writers that produce their bytes piece by piece. The
// constructor creates the temporary file (or throws the create failure), write() appends bytes,
// commit() syncs and renames it over the target. Without a successful commit() the destructor
// removes the temporary file and the target stays as it was.
class SafeFile {
public:
    explicit SafeFile(const QString& path);
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    void write(QByteArrayView bytes);
    void commit();

private:
    [[noreturn]] void failCreate(const QString& text);
    [[noreturn]] void failWrite();
    void discard();

    QString path_;         // as the caller named it, for messages
    QByteArray target_;    // the file that is replaced (symbolic links resolved)
    QByteArray temporary_; // the file being written
    int fd_ = -1;
    bool targetExists_ = false;
    unsigned oldMode_ = 0;
    unsigned oldOwner_ = 0;
    unsigned oldGroup_ = 0;
};

} // namespace quill
