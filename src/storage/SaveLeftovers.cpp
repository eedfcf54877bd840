#include "storage/SaveLeftovers.h"

#include "core/Failure.h"
#include "storage/FolderLock.h"

#include <chrono>
#include <ctime>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quill {

namespace {

// Keeps the temporary name within NAME_MAX whatever the target's name is.
constexpr qsizetype MaxTargetBytes = 200;
constexpr QByteArrayView Suffix = ".tmp";

qint64 nanoseconds(const struct timespec& time) {
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// A random 64-bit number has fewer than ten base-36 digits once in about 180,000 saves: such a
// leftover stays, and short endings that people give their own files (".old.tmp") are safe.
constexpr qsizetype MinRandomDigits = 10;

bool isRandomPart(QByteArrayView digits) {
    if (digits.size() < MinRandomDigits || digits.front() == '0')
        return false;
    for (const char c : digits) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')))
            return false;
    }
    bool fits = false;
    [[maybe_unused]] const qulonglong value = digits.toULongLong(&fits, 36);
    return fits;
}

} // namespace

QByteArray temporaryFileName(QByteArrayView targetName, quint64 random) {
    return '.' + targetName.first(std::min(targetName.size(), MaxTargetBytes)).toByteArray() + '.' +
           QByteArray::number(random, 36) + Suffix.toByteArray();
}

bool isTemporaryFileName(QByteArrayView name) {
    if (!name.startsWith('.') || !name.endsWith(Suffix))
        return false;
    const QByteArrayView middle = name.sliced(1, name.size() - 1 - Suffix.size());
    const qsizetype dot = middle.lastIndexOf('.');
    if (dot <= 0 || dot > MaxTargetBytes)
        return false;
    return isRandomPart(middle.sliced(dot + 1));
}

qint64 fileClockNow() {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return nanoseconds(now);
}

int removeSaveLeftovers(const QString& folder, qint64 before) {
    std::unique_ptr<FolderLock> lock;
    try {
        lock = std::make_unique<FolderLock>(folder, std::chrono::milliseconds(0));
    } catch (const Failure&) {
        return 0; // another window is saving there, or the folder cannot be read
    }
    return removeSaveLeftovers(*lock, lock->names(), before);
}

int removeSaveLeftovers(const FolderLock& lock, const QByteArrayList& names, qint64 before) {
    const int fd = lock.descriptor();
    int removed = 0;
    for (const QByteArray& name : names) {
        struct stat info {};
        if (!isTemporaryFileName(name) ||
            ::fstatat(fd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        // The change time moves when the file gets its name, so a save of another window that
        // is naming its file right now is never taken for a leftover.
        const bool leftover = S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
                              info.st_nlink == 1 && nanoseconds(info.st_mtim) < before &&
                              nanoseconds(info.st_ctim) < before;
        if (leftover && ::unlinkat(fd, name.constData(), 0) == 0)
            ++removed;
    }
    return removed;
}

} // namespace quill
