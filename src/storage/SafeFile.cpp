#include "storage/SafeFile.h"

#include "core/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace quill {

namespace {

// A single read() or write() moves at most this much; Linux caps one call near 2 GiB anyway.
constexpr qsizetype MaxTransfer = qsizetype(1) << 30;
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
    if (slash <= 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

// Follows symbolic links to the file that really gets replaced, so that a save through a link
// updates its target and keeps the link. A dangling link names the file to create.
QByteArray resolveLinks(QByteArray path) {
    for (int depth = 0; depth < MaxLinkDepth; ++depth) {
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        QByteArray link(qsizetype(info.st_size > 0 ? info.st_size : 256) + 1, Qt::Uninitialized);
        ssize_t length = 0;
        while (true) {
            length = ::readlink(path.constData(), link.data(), size_t(link.size()));
            if (length < 0)
                return path;
            if (length < link.size())
                break;
            link.resize(link.size() * 2);
        }
        link.truncate(length);
        path = link.startsWith('/') ? link : folderOf(path) + '/' + link;
    }
    return path; // a loop of links: the create step reports ELOOP
}

// The name handed to the system: absolute, but with ".." left to the system, which resolves it
// after symbolic links.
QByteArray systemPath(const QString& path) {
    if (QDir::isAbsolutePath(path))
        return QFile::encodeName(path);
    return QFile::encodeName(QDir::currentPath() + u'/' + path);
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
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

QByteArray readWholeFile(const QString& path, qsizetype maxBytes) {
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
    if (::stat(native.constData(), &info) != 0)
        throw OpenFailure(openMessage(path, errorText(errno)));
    refuseKind(info);
    const FileDescriptor fd(
        ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        throw OpenFailure(openMessage(path, errorText(errno)));
    // The name may have been pointed elsewhere between the look and the open.
    if (::fstat(fd.get(), &info) != 0)
        throw OpenFailure(openMessage(path, errorText(errno)));
    refuseKind(info);
    if (info.st_size > maxBytes)
        throw Failure(openMessage(path, tooLargeText()));

    QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
    qsizetype done = 0;
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
            continue;
        }
        const ssize_t got =
            readRetrying(fd.get(), bytes.data() + done, std::min(bytes.size() - done, MaxTransfer));
        if (got < 0)
            throw Failure(u"Stream read error"_s);
        if (got == 0)
            break;
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

void writeFileAtomically(const QString& path, QByteArrayView bytes) {
    SafeFile file(path);
    file.write(bytes);
    file.commit();
}

SafeFile::SafeFile(const QString& path) : path_(path) {
    if (path.isEmpty())
        failCreate(errorText(ENOENT));
    target_ = resolveLinks(systemPath(path));

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

    const QByteArray folder = folderOf(target_);
    // Keep the temporary name within NAME_MAX whatever the target's name is.
    const QByteArray base = target_.mid(target_.lastIndexOf('/') + 1).left(200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray suffix = QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        QByteArray name = folder;
        if (!name.endsWith('/'))
            name += '/';
        name += '.' + base + '.' + suffix + ".tmp";
        // A new file gets the usual permissions (umask applies); an old file's are set later.
        const mode_t mode = targetExists_ ? 0600 : 0666;
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            fd_ = fd;
            temporary_ = name;
            return;
        }
        if (errno != EEXIST)
            failCreate(errorText(errno));
    }
    failCreate(errorText(EEXIST));
}

SafeFile::~SafeFile() {
    discard();
}

void SafeFile::write(QByteArrayView bytes) {
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd_, data, size_t(std::min(left, MaxTransfer)));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            failWrite();
        }
        if (written == 0)
            failWrite(); // the disk takes nothing more
        data += written;
        left -= written;
    }
}

void SafeFile::commit() {
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
    if (::fsync(fd_) != 0)
        failWrite();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) // network file systems report late write errors here
        failWrite();
    if (::rename(temporary_.constData(), target_.constData()) != 0)
        failCreate(errorText(errno));
    temporary_.clear();

    // Make the rename itself durable; a folder that cannot be synced is not an error.
    const int folder = ::open(folderOf(target_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

void SafeFile::failCreate(const QString& text) {
    discard();
    throw Failure(u"Cannot create file \"%1\". %2"_s.arg(fullPath(path_), text));
}

void SafeFile::failWrite() {
    discard();
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
