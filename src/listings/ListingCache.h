#pragma once

#include "core/EntryList.h"

#include <QByteArray>
#include <QString>

namespace quill {

// The per-user folder for listing files that the listed folder refuses: "Quillbook" in
// $XDG_CACHE_HOME when that is an absolute path, else in ~/.cache.
QByteArray defaultListingCache();

// Writes the lines as the list file `fileName` into the working directory and gives back the
// path written. When the working directory refuses writing (no permission, a read-only file
// system), the file goes into `cacheFolder` instead, which is created when missing; an empty
// `cacheFolder` has no such way out. Any other failure, and a failure in the cache folder,
// throws the create failure or "Stream write error" of list file writing.
QString writeListingLines(const QString& fileName, const EntryList& lines,
                          const QByteArray& cacheFolder);

} // namespace quill
