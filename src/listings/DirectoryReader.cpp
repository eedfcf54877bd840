#include "listings/DirectoryReader.h"

#include "listings/IoFailure.h"

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace quill {
namespace {

class DirCloser {
public:
    explicit DirCloser(DIR* dir) : dir_(dir) {}
    ~DirCloser() { ::closedir(dir_); }
    DirCloser(const DirCloser&) = delete;
    DirCloser& operator=(const DirCloser&) = delete;

private:
    DIR* dir_;
};

} // namespace

void DirectoryReader::read(const Visit& visit) const {
    DIR* dir = ::opendir(directory_.isEmpty() ? "." : directory_.constData());
    if (!dir)
        throw IoFailure(errno);
    const DirCloser closer(dir);
    const int dirFd = ::dirfd(dir);

    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0)
                throw IoFailure(errno);
            break;
        }
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        if (skipHidden_ && name[0] == '.')
            continue;

        Kind kind = Kind::Other;
        switch (entry->d_type) {
        case DT_DIR:
            kind = Kind::Directory;
            break;
        case DT_LNK:
        case DT_UNKNOWN: {
            struct stat status {};
            if (::fstatat(dirFd, name, &status, 0) != 0)
                continue; // dangling link, or the name went away meanwhile
            kind = S_ISDIR(status.st_mode) ? Kind::Directory : Kind::Other;
            break;
        }
        default:
            break;
        }
        if (directoriesOnly_ && kind != Kind::Directory)
            continue;
        visit(QByteArrayView(name, qsizetype(std::strlen(name))), kind);
    }
}

QByteArray DirectoryReader::lineFor(QByteArrayView name) {
    QByteArray line(name.data(), name.size());
    for (char& byte : line) {
        if (byte == '\r' || byte == '\n')
            byte = '?';
    }
    return line;
}

} // namespace quill
