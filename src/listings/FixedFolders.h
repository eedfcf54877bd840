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

// The programs the launcher commands start by name, and the system folder whose programs
// "&Run a Files Windows Directory..." starts. Tests point them at folders of their own.
struct FixedPrograms {
    QByteArray fileManager = QByteArrayLiteral("/usr/bin/doublecmd");
    QByteArray wordPad = QByteArrayLiteral("/usr/bin/abiword");
    QByteArray word = QByteArrayLiteral("/usr/bin/lowriter");
    QByteArray systemFolder = QByteArrayLiteral("/usr/bin");
};

} // namespace quill
