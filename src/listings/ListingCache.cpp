#include "listings/ListingCache.h"

#include "core/Failure.h"
#include "storage/ListFile.h"

#include <QDir>
#include <QFile>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace quill {

namespace {

// Whether the system refuses creating files in the working directory, as opposed to a failure
// of the one file (a folder or a read-only file in its place, a full disk).
bool workingDirectoryRefusesWriting() {
    if (::access(".", W_OK | X_OK) == 0)
        return false;
    return errno == EACCES || errno == EPERM || errno == EROFS;
}

// Creates the folder and its missing parents, readable by the user alone as cache folders are.
// Failures are left to the write that follows, which names the reason.
void makeFolders(const QByteArray& folder) {
    for (qsizetype slash = folder.indexOf('/', 1);; slash = folder.indexOf('/', slash + 1)) {
        (void)::mkdir((slash < 0 ? folder : folder.left(slash)).constData(), 0700);
        if (slash < 0)
            return;
    }
}

} // namespace

QByteArray defaultListingCache() {
    QByteArray base = qgetenv("XDG_CACHE_HOME");
    if (!base.startsWith('/'))
        base = QFile::encodeName(QDir::homePath()) + "/.cache";
    return base + "/Quillbook";
}

QString writeListingLines(const QString& fileName, const EntryList& lines,
                          const QByteArray& cacheFolder) {
    try {
        writeListFile(fileName, lines);
        return fileName;
    } catch (const Failure&) {
        if (cacheFolder.isEmpty() || !workingDirectoryRefusesWriting())
            throw;
    }
    makeFolders(cacheFolder);
    const QString cached = QFile::decodeName(cacheFolder) + u'/' + fileName;
    writeListFile(cached, lines);
    return cached;
}

} // namespace quill
