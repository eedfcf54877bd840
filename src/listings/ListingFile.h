#pragma once

#include "listings/ListingCache.h"
#include "listings/WorkingDirectoryGuard.h"
#include "storage/ListFile.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace quill {

// The listing files, named without a folder: they land in the working directory, which a
// listing that reads a new folder has just moved there.
inline constexpr char16_t DirectoryListFileName[] = u"dir.log";
inline constexpr char16_t FileListFileName[] = u"files.log";

// Points a listing at a path (nothing: keep the listing held) and writes its lines to the
// listing file, in the cache folder when the listed folder refuses writing (writeListingLines);
// gives back the path written. On any failure, also when the file cannot be created, the
// listing and the working directory are as they were before.
template <class Listing>
QString writeListingFile(Listing& listing, const std::optional<QByteArray>& path,
                         const QString& fileName, const QByteArray& cacheFolder = {}) {
    WorkingDirectoryGuard guard;
    Listing previous = listing;
    QString written;
    try {
        if (path)
            listing.pointAt(*path);
        written = writeListingLines(fileName, listing.lines(), cacheFolder);
    } catch (...) {
        listing = std::move(previous);
        throw;
    }
    guard.release();
    return written;
}

} // namespace quill
