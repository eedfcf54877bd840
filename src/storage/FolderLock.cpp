#include "storage/FolderLock.h"

#include "core/Failure.h"
#include "storage/SafeFile.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

int openFolder(const QString& folder) {
    const QByteArray name = QFile::encodeName(folder.isEmpty() ? u"."_s : folder);
    return ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

[[noreturn]] void failLock(const QString& folder, const QString& text) {
    throw Failure(
        u"Cannot lock folder \"%1\". %2"_s.arg(fullPath(folder.isEmpty() ? u"."_s : folder), text));
}

} // namespace

FolderLock::FolderLock(const QString& folder, std::chrono::milliseconds wait,
                       const std::function<void()>& waiting) {
    fd_ = openFolder(folder);
    if (fd_ < 0)
        failLock(folder, errorText(errno));
    const auto deadline = std::chrono::steady_clock::now() + wait;
    // Polling rather than a blocking flock: the wait must end on time, and signals (a timer
    // interrupting a blocking call) would complicate that for no gain at this scale.
    for (bool first = true; ::flock(fd_, LOCK_EX | LOCK_NB) != 0; first = false) {
        const int error = errno;
        if ((error != EWOULDBLOCK && error != EINTR) ||
            std::chrono::steady_clock::now() >= deadline) {
            ::close(fd_);
            fd_ = -1;
            failLock(folder, error == EWOULDBLOCK ? u"Folder is busy"_s : errorText(error));
        }
        if (first && waiting)
            waiting();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

FolderLock::~FolderLock() {
    if (fd_ >= 0)
        ::close(fd_); // closing the only descriptor releases the lock
}

bool FolderLock::isFree(const QString& folder) {
    const int fd = openFolder(folder);
    if (fd < 0)
        return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

QByteArrayList FolderLock::names() const {
    // A description of its own: reading through the lock's would move its position.
    const int fd = ::openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {};
    const std::unique_ptr<DIR, DirCloser> dir(::fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return {};
    }
    QByteArrayList names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArrayView name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name.toByteArray());
    }
    return names;
}

} // namespace quill
