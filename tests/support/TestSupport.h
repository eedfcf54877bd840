#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace quill::test {

// Whole content of a file, or a null QByteArray when it cannot be read.
QByteArray fileBytes(const QString& path);
void writeBytes(const QString& path, QByteArrayView bytes);

// Switches the process's current directory for the lifetime of the guard.
class CurrentDirGuard {
public:
    explicit CurrentDirGuard(const QString& path);
    ~CurrentDirGuard();
    CurrentDirGuard(const CurrentDirGuard&) = delete;
    CurrentDirGuard& operator=(const CurrentDirGuard&) = delete;

private:
    QString previous_;
};

// Tests run as root in CI, and root ignores permission bits. runAsUnprivileged forks, drops to
// the "nobody" user (when running as root) and runs the function in the child; the result is
// the function's return value (its exit code), or -1 when the child could not run it.
int runAsUnprivileged(int (*function)(void* context), void* context);
// The same for a callable; it runs in the forked copy of this process, so captures stay valid.
int runAsUnprivileged(const std::function<int()>& work);

// Runs the function in a forked child that sees a file system of its own, `bytes` large, mounted
// over the folder (a tmpfs in a private mount namespace; a user namespace when not root), so
// writes there meet a full device (ENOSPC). The result is the function's return value, or -1
// when the child could not run it; the folder is unchanged for everyone else.
int runOnSmallDevice(const QString& folder, qint64 bytes, const std::function<int()>& work);

} // namespace quill::test
