#include "listings/WorkingDirectory.h"

#include "listings/IoFailure.h"

#include <cerrno>
#include <cstdlib>

#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace quill {

QByteArray currentWorkingDirectory() {
    // getcwd with a null buffer allocates as much as the path needs, so long paths work too.
    char* path = ::getcwd(nullptr, 0);
    if (!path)
        throw IoFailure(errno);
    QByteArray result(path);
    std::free(path);
    return result;
}

namespace {

// A byte 0 (typed as the sign U+2400) would end the name early for the system: no such name.
bool holdsNul(const QByteArray& path) {
    return path.contains('\0');
}

} // namespace

void changeWorkingDirectory(const QByteArray& path) {
    if (path.isEmpty() || holdsNul(path))
        throw IoFailure(ENOENT);
    if (::chdir(path.constData()) != 0)
        throw IoFailure(errno);
}

bool isDirectory(const QByteArray& path) {
    struct stat status {};
    return !path.isEmpty() && !holdsNul(path) && ::stat(path.constData(), &status) == 0 &&
           S_ISDIR(status.st_mode);
}

bool isExistingFile(const QByteArray& path) {
    struct stat status {};
    return !path.isEmpty() && !holdsNul(path) && ::stat(path.constData(), &status) == 0 &&
           !S_ISDIR(status.st_mode);
}

bool volumeIsCaseSensitive(const QByteArray& path) {
    // FAT and exFAT volumes look names up ignoring case; every native file system keeps them
    // apart.
    constexpr long msdosMagic = 0x4d44;
    constexpr long exfatMagic = 0x2011BAB0;
    struct statfs volume {};
    if (path.isEmpty() || ::statfs(path.constData(), &volume) != 0)
        return true;
    const long type = long(volume.f_type);
    return type != msdosMagic && type != exfatMagic;
}

} // namespace quill
