#pragma once

#include <QByteArrayList>
#include <QString>

#include <chrono>
#include <functional>

namespace quill {

// One writer at a time on a folder's list files: an advisory lock (flock) on the folder itself,
// so every window and every program of ours that saves there waits for the others. Taking it
// creates no file; the lock ends with the object, or with the process however it ends.
class FolderLock {
public:
    // Waits up to `wait` for the lock, calling `waiting` (if given) once when it has to wait.
    // Throws Failure "Cannot lock folder "<full path>". <error text>" when the folder cannot be
    // opened, and the same with "Folder is busy" when another writer still holds it after the
    // wait.
    explicit FolderLock(const QString& folder,
                        std::chrono::milliseconds wait = std::chrono::milliseconds(2000),
                        const std::function<void()>& waiting = {});
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // True when no other holder has the folder's lock right now (nothing is kept locked).
    static bool isFree(const QString& folder);

    // The names in the locked folder (without "." and ".."), as the system gives them, in no
    // particular order; empty when it cannot be read.
    QByteArrayList names() const;
    // The locked folder, for calls relative to it (fstatat, unlinkat).
    int descriptor() const { return fd_; }

private:
    int fd_ = -1;
};

} // namespace quill
