#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quill::test {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    if (bytes.isNull())
        bytes = QByteArray(""); // an empty file reads as empty, not null
    return bytes;
}

void writeBytes(const QString& path, QByteArrayView bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes.data(), bytes.size()), bytes.size());
}

CurrentDirGuard::CurrentDirGuard(const QString& path) : previous_(QDir::currentPath()) {
    EXPECT_TRUE(QDir::setCurrent(path)) << path.toStdString();
}

CurrentDirGuard::~CurrentDirGuard() {
    QDir::setCurrent(previous_);
}

int runAsUnprivileged(int (*function)(void* context), void* context) {
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            const uid_t uid = nobody ? nobody->pw_uid : 65534;
            const gid_t gid = nobody ? nobody->pw_gid : 65534;
            if (setgid(gid) != 0 || setuid(uid) != 0)
                _exit(250);
        }
        _exit(function(context));
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

int runAsUnprivileged(const std::function<int()>& work) {
    auto call = [](void* context) {
        return (*static_cast<const std::function<int()>*>(context))();
    };
    return runAsUnprivileged(call, const_cast<std::function<int()>*>(&work));
}

namespace {

bool writeProcFile(const char* path, const QByteArray& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    ::close(fd);
    return written;
}

// A private mount namespace needs a privilege that root has; anyone else gets it in a user
// namespace of their own that maps their own ids.
bool enterPrivateMounts() {
    if (::unshare(CLONE_NEWNS) == 0)
        return true;
    const QByteArray uid = QByteArray::number(geteuid());
    const QByteArray gid = QByteArray::number(getegid());
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 &&
           writeProcFile("/proc/self/setgroups", "deny") &&
           writeProcFile("/proc/self/uid_map", uid + ' ' + uid + " 1") &&
           writeProcFile("/proc/self/gid_map", gid + ' ' + gid + " 1");
}

} // namespace

int runOnSmallDevice(const QString& folder, qint64 bytes, const std::function<int()>& work) {
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        const QByteArray size = "size=" + QByteArray::number(bytes);
        if (!enterPrivateMounts() ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    size.constData()) != 0)
            _exit(251);
        _exit(work());
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace quill::test
