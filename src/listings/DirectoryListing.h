#pragma once

#include "core/EntryList.h"
#include "listings/NameOrder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>

namespace quill {

// The hidden directory listing: a folder and its lines, kept from one command to the next.
// The lines are the root "/", one line per part of the folder's path, then the visible
// sub-folders sorted ignoring case.
class DirectoryListing {
public:
    // Starts at the working directory, read when the lines are first asked for.
    explicit DirectoryListing(const QLocale& locale = QLocale());
    DirectoryListing(QByteArray directory, const QLocale& locale);

    const QByteArray& directory() const { return directory_; }
    bool caseSensitive() const { return caseSensitive_; }

    // Points the listing at a typed path. The folder already held is not read again; a new
    // folder is read and becomes the working directory. A path naming a file or holding a
    // pattern lists its folder. Throws IoFailure; then the listing and the working directory
    // are as before.
    void pointAt(QByteArrayView path);

    // The lines, reading the folder first when that has not happened yet. Throws IoFailure.
    const EntryList& lines();

    // The lines of a folder given as the system spells it.
    static EntryList linesOf(const QByteArray& directory, const NameOrder& order);

private:
    bool isHeld(QByteArrayView path) const;

    QByteArray directory_;
    EntryList lines_;
    NameOrder order_;
    bool read_ = false;
    bool caseSensitive_ = true;
};

} // namespace quill
