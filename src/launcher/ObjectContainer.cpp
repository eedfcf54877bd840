#include "launcher/ObjectContainer.h"

#include "launcher/LaunchFailure.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quill {
namespace {

// The path as the system takes it; a path holding a NUL byte names nothing.
QByteArray existingPath(QByteArrayView path) {
    QByteArray bytes = path.toByteArray();
    struct stat info;
    if (bytes.contains('\0'))
        throw LaunchFailure::fromErrorNumber(ENOENT);
    if (::stat(bytes.constData(), &info) != 0)
        throw LaunchFailure::fromErrorNumber(errno);
    return bytes;
}

// The link keeps the folder it was made in, so a later change of the working directory does
// not move its target.
QByteArray absolutePath(const QByteArray& path) {
    if (path.startsWith('/'))
        return path;
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer))
        throw LaunchFailure::fromErrorNumber(errno);
    QByteArray folder(buffer);
    if (!folder.endsWith('/'))
        folder += '/';
    return folder + path;
}

// Whether the file is a program image: an ELF file or a script naming its interpreter. Files on
// FAT or NTFS volumes all carry the execute bit, so the bit alone does not make a program. A file
// that may be run but not read is left to the system to run.
bool isProgramImage(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno == EACCES;
    char head[4] = {};
    ssize_t got = 0;
    do {
        got = ::read(fd, head, sizeof head);
    } while (got < 0 && errno == EINTR);
    ::close(fd);
    constexpr char elf[] = {'\x7f', 'E', 'L', 'F'};
    return (got >= 2 && head[0] == '#' && head[1] == '!') ||
           (got == 4 && std::memcmp(head, elf, 4) == 0);
}

} // namespace

ObjectContainer::ObjectContainer(std::shared_ptr<Starter> starter) : starter_(std::move(starter)) {}

void ObjectContainer::loadApplication(const QByteArray& applicationId) {
    release();
    if (!applicationId.isEmpty())
        object_ = ContainedObject{ContainedObject::Kind::Application, applicationId};
}

void ObjectContainer::release() {
    object_.reset();
}

void ObjectContainer::linkAndActivate(QByteArrayView path) {
    release();
    object_ = ContainedObject{ContainedObject::Kind::Link, absolutePath(existingPath(path))};
    activate();
}

void ObjectContainer::activate() {
    if (!object_)
        throw EmptyContainerFailure();
    const QByteArray target = object_->target;
    if (object_->kind == ContainedObject::Kind::Application) {
        starter_->startApplication(target);
        return;
    }
    // The target may have changed since it was linked: look at it as it is now.
    struct stat info;
    if (::stat(target.constData(), &info) != 0)
        throw LaunchFailure::fromErrorNumber(errno);
    if (S_ISREG(info.st_mode) && ::access(target.constData(), X_OK) == 0 && isProgramImage(target))
        starter_->startProgram(target);
    else
        starter_->openFile(target);
}

} // namespace quill
