#pragma once

#include <QByteArray>

namespace quill {

// Notes the working directory and makes it current again when the guard ends, unless the guard
// was released first. A directory that no longer exists is left alone.
class WorkingDirectoryGuard {
public:
    WorkingDirectoryGuard();
    ~WorkingDirectoryGuard();
    WorkingDirectoryGuard(const WorkingDirectoryGuard&) = delete;
    WorkingDirectoryGuard& operator=(const WorkingDirectoryGuard&) = delete;

    const QByteArray& noted() const { return noted_; }
    // Keeps whatever directory is current when the guard ends.
    void release() { released_ = true; }

private:
    QByteArray noted_;
    bool released_ = false;
};

} // namespace quill
