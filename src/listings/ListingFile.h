#pragma once

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
// listing file. On any failure, also when the file cannot be created, the listing and the
// working directory are as they were before.
template <class Listing>
void writeListingFile(Listing& listing, const std::optional<QByteArray>& path,
                      const QString& fileName) {
    WorkingDirectoryGuard guard;
    Listing previous = listing;
    try {
        if (path)
            listing.pointAt(*path);
        writeListFile(fileName, listing.lines());
    } catch (...) {
        listing = std::move(previous);
        throw;
    }
    guard.release();
}

} // namespace quill
