#include "storage/SafeFile.h"

#include "core/Failure.h"
#include "core/Prefault.h"
#include "storage/SaveLeftovers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace quill {

namespace {

// A single read() or write() moves at most this much; Linux caps one call near 2 GiB anyway.
constexpr qsizetype MaxTransfer = qsizetype(1) << 30;
// A read with a watcher moves at most this much between two calls of the watcher.
constexpr qsizetype WatchedPiece = qsizetype(1) << 20;
// Symbolic links followed before giving up, as the kernel does.
constexpr int MaxLinkDepth = 40;

// strerror_r comes in a GNU flavour (returns the text) and a POSIX one (fills the buffer).
[[maybe_unused]] const char* chosenText(int result, const char* buffer) {
    return result == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char* chosenText(const char* result, const char*) {
    return result;
}

QString notRegularText() {
    return u"Not a regular file"_s;
}
QString tooLargeText() {
    return u"File too large"_s;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

// The kernel's protected-symlink rule, applied here because the links are followed here: in a
// sticky folder that everyone may write (/tmp), a link is followed only when it belongs to the
// user or to the folder's owner. Another user's link there could point a save at any file.
bool mayFollow(const QByteArray& link, const struct stat& linkInfo) {
    struct stat folder {};
    if (::stat(folderOf(link).constData(), &folder) != 0)
        return false;
    if ((folder.st_mode & S_ISVTX) == 0 || (folder.st_mode & S_IWOTH) == 0)
        return true;
    return linkInfo.st_uid == ::geteuid() || linkInfo.st_uid == folder.st_uid;
}

// Follows symbolic links to the file that really gets replaced, so that a save through a link
// updates its target and keeps the link. A dangling link names the file to create. Gives 0, or
// EACCES for a link that must not be followed.
// Why a new file cannot be made in the folder. A folder that exists but takes no files (such as
// /proc) answers "No such file or directory", which names the wrong cause; a removed folder
// (no links left) gives that answer rightly.
int creationError(const QByteArray& folder, int error) {
    struct stat info {};
    if (error == ENOENT && ::stat(folder.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_nlink > 0)
        return EACCES;
    return error;
}

int resolveLinks(QByteArray& path) {
    for (int depth = 0; depth < MaxLinkDepth; ++depth) {
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return 0;
        if (!mayFollow(path, info))
            return EACCES;
        QByteArray link(qsizetype(info.st_size > 0 ? info.st_size : 256) + 1, Qt::Uninitialized);
        ssize_t length = 0;
        while (true) {
            length = ::readlink(path.constData(), link.data(), size_t(link.size()));
            if (length < 0)
                return 0;
            if (length < link.size())
                break;
            link.resize(link.size() * 2);
        }
        link.truncate(length);
        path = link.startsWith('/') ? link : folderOf(path) + '/' + link;
    }
    return 0; // a loop of links: the create step reports ELOOP
}

// The name handed to the system. A name without a folder stays relative, so the system resolves
// it against the current folder itself: when that folder was removed, a path built from its
// name would be empty and point at "/".
QByteArray systemPath(const QString& path) {
    return QFile::encodeName(path);
}

ssize_t readRetrying(int fd, char* buffer, qsizetype size) {
    ssize_t got = 0;
    do {
        got = ::read(fd, buffer, size_t(size));
    } while (got < 0 && errno == EINTR);
    return got;
}

QString openMessage(const QString& path, const QString& text) {
    return u"Cannot open file \"%1\". %2"_s.arg(fullPath(path), text);
}

} // namespace

QString errorText(int errorNumber) {
    char buffer[256] = {};
    const char* text = chosenText(::strerror_r(errorNumber, buffer, sizeof buffer), buffer);
    QString result = text ? QString::fromLocal8Bit(text) : QString();
    qsizetype end = result.size();
    while (end > 0 && (result.at(end - 1) == u' ' || result.at(end - 1) == u'.'))
        --end;
    result.truncate(end);
    if (result.isEmpty())
        result = u"Error %1"_s.arg(errorNumber);
    return result;
}

QString fullPath(const QString& path) {
    if (path.isEmpty())
        return QDir::toNativeSeparators(QDir::currentPath());
    // A removed current folder has no path any more: name the file as the caller did.
    if (QDir::isRelativePath(path) && QDir::currentPath().isEmpty())
        return QDir::toNativeSeparators(QDir::cleanPath(path));
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

namespace {

// The head of a file that is looked at piece by piece instead of being kept.
struct HeadReader {
    qsizetype length;
    const PieceReader& see;
};

// Whether the file held the whole head and `see` took every piece.
bool readHead(int fd, const HeadReader& head) {
    std::vector<char> piece(size_t(std::min(head.length, WatchedPiece)));
    for (qsizetype done = 0; done < head.length;) {
        const ssize_t got =
            readRetrying(fd, piece.data(), std::min(head.length - done, qsizetype(piece.size())));
        if (got < 0)
            throw Failure(u"Stream read error"_s);
        if (got == 0 || !head.see(QByteArrayView(piece.data(), got)))
            return false;
        done += got;
    }
    return true;
}

std::optional<QByteArray> readFile(const QString& path, qsizetype maxBytes, bool absentIsNothing,
                                   const ReadWatcher* watch = nullptr,
                                   const HeadReader* head = nullptr) {
    const auto isAbsent = [&](int error) {
        return absentIsNothing && (error == ENOENT || error == ENOTDIR);
    };
    if (path.isEmpty())
        throw OpenFailure(openMessage(path, errorText(ENOENT)));
    const QByteArray native = systemPath(path);
    const auto refuseKind = [&](const struct stat& info) {
        if (S_ISDIR(info.st_mode))
            throw OpenFailure(openMessage(path, errorText(EISDIR)));
        if (!S_ISREG(info.st_mode))
            throw OpenFailure(openMessage(path, notRegularText()));
    };

    // Look before opening: opening a device can have side effects, and a FIFO must not block.
    struct stat info {};
    if (::stat(native.constData(), &info) != 0) {
        if (isAbsent(errno))
            return std::nullopt;
        throw OpenFailure(openMessage(path, errorText(errno)));
    }
    refuseKind(info);
    const FileDescriptor fd(
        ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        if (isAbsent(errno))
            return std::nullopt;
        throw OpenFailure(openMessage(path, errorText(errno)));
    }
    // The name may have been pointed elsewhere between the look and the open.
    if (::fstat(fd.get(), &info) != 0)
        throw OpenFailure(openMessage(path, errorText(errno)));
    refuseKind(info);
    const qsizetype skipped = head ? head->length : 0;
    if (info.st_size - skipped > maxBytes)
        throw Failure(openMessage(path, tooLargeText()));
    // A file without the whole head gives nothing, like a missing one.
    if (head && (info.st_size < skipped || !readHead(fd.get(), *head)))
        return std::nullopt;

    QByteArray bytes(qsizetype(info.st_size) - skipped, Qt::Uninitialized);
    prefault(bytes.data(), size_t(bytes.size()));
    qsizetype done = 0;
    // A watched read goes in pieces, so the watcher sees the bytes soon after they arrive.
    const qsizetype piece = watch ? WatchedPiece : MaxTransfer;
    const auto report = [&] {
        if (watch)
            (*watch)(QByteArrayView(bytes.constData(), done), qint64(info.st_size));
    };
    while (true) {
        if (done == bytes.size()) {
            // Usually the end. A file that grew since fstat is read on, up to the limit.
            char extra[64 * 1024];
            const qsizetype room = maxBytes - done;
            const ssize_t got =
                readRetrying(fd.get(), extra, std::min<qsizetype>(sizeof extra, room + 1));
            if (got < 0)
                throw Failure(u"Stream read error"_s);
            if (got == 0)
                break;
            if (got > room)
                throw Failure(openMessage(path, tooLargeText()));
            bytes.append(extra, got);
            done += got;
            report();
            continue;
        }
        const ssize_t got =
            readRetrying(fd.get(), bytes.data() + done, std::min(bytes.size() - done, piece));
        if (got < 0)
            throw Failure(u"Stream read error"_s);
        if (got == 0)
            break;
        done += got;
        report();
    }
    bytes.truncate(done);
    return bytes;
}

} // namespace

QByteArray readWholeFile(const QString& path, qsizetype maxBytes) {
    return *readFile(path, maxBytes, false);
}

std::optional<QByteArray> readWholeFileIfPresent(const QString& path, qsizetype maxBytes) {
    return readFile(path, maxBytes, true);
}

QByteArray readWholeFile(const QString& path, qsizetype maxBytes, const ReadWatcher& watch) {
    return *readFile(path, maxBytes, false, &watch);
}

std::optional<QByteArray> readFileBehind(const QString& path, qsizetype headLength,
                                         qsizetype maxBytes, const PieceReader& seeHead) {
    const HeadReader head{headLength, seeHead};
    return readFile(path, maxBytes, true, nullptr, &head);
}

void writeFileAtomically(const QString& path, QByteArrayView bytes) {
    SafeFile file(path);
    file.write(bytes);
    file.commit();
}

SafeFile::SafeFile(const QString& path) : path_(path) {
    if (path.isEmpty())
        failCreate(errorText(ENOENT));
    target_ = systemPath(path);
    if (const int error = resolveLinks(target_))
        failCreate(errorText(error));

    struct stat info {};
    if (::stat(target_.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            failCreate(errorText(EISDIR));
        if (!S_ISREG(info.st_mode))
            failCreate(notRegularText());
        // Renaming over a read-only file would succeed, but a read-only file must stay as it is.
        if (::access(target_.constData(), W_OK) != 0)
            failCreate(errorText(errno));
        targetExists_ = true;
        oldMode_ = info.st_mode & 07777;
        oldOwner_ = info.st_uid;
        oldGroup_ = info.st_gid;
    } else if (errno != ENOENT) {
        failCreate(errorText(errno));
    }
    folder_ = folderOf(target_);

    // A new file gets the usual permissions (umask applies); an old file's are set later.
    const mode_t mode = targetExists_ ? 0600 : 0666;
    const int unnamed = ::open(folder_.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (unnamed >= 0) {
        fd_ = unnamed;
        unnamed_ = true;
        return;
    }
    // Old kernels and some file systems (network, FUSE) have no unnamed files. Any other
    // refusal (a read-only or removed folder) the named file meets too, and its error text is
    // the one the user knows.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = temporaryName();
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            fd_ = fd;
            temporary_ = name;
            return;
        }
        if (errno != EEXIST)
            failCreate(errorText(creationError(folder_, errno)));
    }
    failCreate(errorText(EEXIST));
}

SafeFile::~SafeFile() {
    discard();
}

QByteArray SafeFile::temporaryName() const {
    QByteArray name = folder_;
    if (!name.endsWith('/'))
        name += '/';
    return name + temporaryFileName(QByteArrayView(target_).sliced(target_.lastIndexOf('/') + 1),
                                    QRandomGenerator::global()->generate64());
}

void SafeFile::write(QByteArrayView bytes) {
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd_, data, size_t(std::min(left, MaxTransfer)));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            failWrite(errno);
        }
        if (written == 0)
            failWrite(0); // the disk takes nothing more
        data += written;
        left -= written;
    }
}

void SafeFile::commit() {
    commitAll({this});
}

void SafeFile::commitAll(std::initializer_list<SafeFile*> files) {
    // Everything that can fail slowly or for a reason of its own comes before the first rename.
    for (SafeFile* file : files)
        file->finish();
    for (SafeFile* file : files)
        file->giveName();
    // The old files stay open until every rename is done: a rename that drops the last name of
    // a large old file frees its blocks before it returns, which would stretch the moment
    // between two renames from microseconds to milliseconds.
    std::vector<int> oldFiles;
    const auto closeOldFiles = qScopeGuard([&oldFiles] {
        for (const int fd : oldFiles)
            ::close(fd);
    });
    for (SafeFile* file : files) {
        const int fd =
            file->targetExists_ ? ::open(file->target_.constData(), O_PATH | O_CLOEXEC) : -1;
        if (fd >= 0)
            oldFiles.push_back(fd);
    }
    for (SafeFile* file : files)
        file->replace();
    // Make the renames durable; a folder that cannot be synced is not an error.
    for (SafeFile* file : files) {
        const int folder = ::open(file->folder_.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
    }
}

void SafeFile::setModificationTime(const timespec& time) {
    modified_ = time;
}

void SafeFile::finish() {
    if (targetExists_) {
        // Best effort: only root or the owner can give the file back to its owner.
        struct stat info {};
        if (::fstat(fd_, &info) == 0 && (info.st_uid != oldOwner_ || info.st_gid != oldGroup_) &&
            ::fchown(fd_, oldOwner_, oldGroup_) != 0 && ::fchown(fd_, uid_t(-1), oldGroup_) != 0) {
            // Not allowed: the new file stays ours, with the old permissions.
        }
        // After fchown, which may clear set-id bits.
        if (::fchmod(fd_, mode_t(oldMode_)) != 0)
            failCreate(errorText(errno));
    }
    if (modified_) {
        const timespec times[2] = {{0, UTIME_OMIT}, *modified_};
        if (::futimens(fd_, times) != 0)
            failWrite(errno);
    }
    if (::fsync(fd_) != 0)
        failWrite(errno);
    if (!unnamed_)
        closeFile();
}

void SafeFile::giveName() {
    if (!unnamed_)
        return;
    // Linking the descriptor itself needs a privilege; its name under /proc does not.
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = temporaryName();
        int result =
            ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW);
        if (result != 0 && errno == ENOENT)
            result = ::linkat(fd_, "", AT_FDCWD, name.constData(), AT_EMPTY_PATH);
        if (result == 0) {
            temporary_ = name;
            unnamed_ = false;
            closeFile();
            return;
        }
        if (errno != EEXIST)
            failCreate(errorText(errno));
    }
    failCreate(errorText(EEXIST));
}

void SafeFile::closeFile() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) // network file systems report late write errors here
        failWrite(errno);
}

void SafeFile::replace() {
    if (::rename(temporary_.constData(), target_.constData()) != 0)
        failCreate(errorText(errno));
    temporary_.clear();
}

void SafeFile::failCreate(const QString& text) {
    discard();
    throw Failure(u"Cannot create file \"%1\". %2"_s.arg(fullPath(path_), text));
}

void SafeFile::failWrite(int error) {
    discard();
    if (error == ENOSPC)
        throw NoSpaceFailure(withNoSpaceCause(u"Stream write error"_s));
    throw Failure(u"Stream write error"_s);
}

void SafeFile::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.isEmpty()) {
        ::unlink(temporary_.constData());
        temporary_.clear();
    }
}

} // namespace quill
