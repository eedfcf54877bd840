#pragma once

#include <QByteArray>
#include <QString>

#include <ctime>

#include <functional>
#include <initializer_list>
#include <optional>

namespace quill {

// Reads a whole regular file. FIFOs, folders and devices are refused without blocking.
// Throws OpenFailure with "Cannot open file "<full path>". <error text>".
// Files larger than maxBytes are refused with the error text "File too large"; that refusal is
// a plain Failure, not an OpenFailure, so callers that drop open failures still report it.
QByteArray readWholeFile(const QString& path, qsizetype maxBytes);
// The same, but a file that does not exist (nor its folder) gives nothing instead of the
// failure; a file that exists and cannot be read still throws OpenFailure.
std::optional<QByteArray> readWholeFileIfPresent(const QString& path, qsizetype maxBytes);

// Sees a watched read: the bytes read so far and the file's size when it was opened, after
// every piece of at most 1 MiB. It may throw to end the reading; the exception passes through.
using ReadWatcher = std::function<void(QByteArrayView soFar, qint64 size)>;
// readWholeFile() that lets the watcher look at the bytes as they come in.
QByteArray readWholeFile(const QString& path, qsizetype maxBytes, const ReadWatcher& watch);

// Sees a file being written: the bytes written so far of all it will hold, after every piece of
// at most 1 MiB. It may throw to end the writing; the old file then stays whole.
using WriteWatcher = std::function<void(qint64 written, qint64 total)>;

// Takes a piece of a file's head; false stops the reading.
using PieceReader = std::function<bool(QByteArrayView piece)>;
// Reads a regular file whose first `headLength` bytes go to `seeHead` in pieces of at most 1 MiB,
// through one reused buffer, and returns the bytes behind them (at most maxBytes). Nothing when
// the file does not exist, is shorter, or `seeHead` stopped the reading; other refusals as
// readWholeFile().
std::optional<QByteArray> readFileBehind(const QString& path, qsizetype headLength,
                                         qsizetype maxBytes, const PieceReader& seeHead);

// Replaces the file with the bytes, or leaves the old file whole. A temporary file is written
// in the target's folder (through a symbolic link to its target), every byte checked, flushed
// and synced, then renamed over the old file, keeping its permissions.
// Throws Failure "Cannot create file "<full path>". <error text>" when the file cannot be
// created (read-only file or folder) and "Stream write error" when writing or syncing fails;
// on a full device that is NoSpaceFailure "Stream write error: no space left on the device".
// A name without a folder is handed to the system as it is, so it resolves against the current
// folder even when that folder was removed ("No such file or directory"), never elsewhere.
// A symbolic link in a sticky folder that everyone may write is followed only when it belongs
// to the user or to the folder's owner (the kernel's protected-symlink rule); any other such
// link refuses with the create failure "Permission denied".
void writeFileAtomically(const QString& path, QByteArrayView bytes);

// The platform's error text for errno, trailing blanks and periods removed.
QString errorText(int errorNumber);

// The full path that failure messages name: absolute, with "." and ".." folded.
QString fullPath(const QString& path);

// One atomic save in steps, for writers that produce their bytes piece by piece. The
// constructor creates the temporary file (or throws the create failure), write() appends bytes,
// commit() syncs and renames it over the target. Without a successful commit() the destructor
// removes the temporary file and the target stays as it was.
//
// The temporary data goes into an unnamed file (O_TMPFILE) that gets its hidden name
// ".<name>.<random>.tmp" (temporaryFileName) only right before the rename, so a crash before
// that leaves nothing behind; where the file system refuses unnamed files, the named file is
// created at once. A crash between naming and rename leaves the named file: see
// removeSaveLeftovers.
class SafeFile {
public:
    explicit SafeFile(const QString& path);
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    void write(QByteArrayView bytes);
    // The file gets this modification time instead of the time of its last write, set before
    // it takes the target's place.
    void setModificationTime(const timespec& time);
    void commit();

    // Saves the files as one unit as far as the system allows: all of them are synced and
    // named first, and only when every one succeeded are they renamed, one right after the
    // other. A failure before the renames leaves every target as it was. Throws what commit()
    // throws.
    static void commitAll(std::initializer_list<SafeFile*> files);

private:
    [[noreturn]] void failCreate(const QString& text);
    [[noreturn]] void failWrite(int error);
    void discard();
    QByteArray temporaryName() const;
    void finish();   // permissions, sync
    void giveName(); // an unnamed file gets its temporary name
    void replace();  // the rename over the target
    void closeFile();

    QString path_;         // as the caller named it, for messages
    QByteArray target_;    // the file that is replaced (symbolic links resolved)
    QByteArray folder_;    // the target's folder
    QByteArray temporary_; // the temporary file's name, once it has one
    int fd_ = -1;
    bool unnamed_ = false; // fd_ is an O_TMPFILE file without a name yet
    std::optional<timespec> modified_;
    bool targetExists_ = false;
    unsigned oldMode_ = 0;
    unsigned oldOwner_ = 0;
    unsigned oldGroup_ = 0;
};

} // namespace quill
