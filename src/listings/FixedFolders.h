#pragma once

#include "listings/ListingCache.h"

#include <QByteArray>

namespace quill {

// The fixed folders the listing commands ask for. The program uses the defaults; tests point
// them at folders of their own.
struct FixedFolders {
    QByteArray root = QByteArrayLiteral("/");
    QByteArray programFiles = QByteArrayLiteral("/opt");
    QByteArray windows = QByteArrayLiteral("/usr/bin");
    // Where a listing file goes when the listed folder refuses writing.
    QByteArray listingCache = defaultListingCache();
};

} // namespace quill
