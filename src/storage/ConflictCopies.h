#pragma once

#include <QByteArrayList>
#include <QString>
#include <QStringList>

#include <vector>

namespace quill {

// The versions of a pair of files in one folder: the files themselves and the conflict
// copies sync engines leave of them (Syncthing's "Name.sync-conflict-YYYYMMDD-HHMMSS-DEVICE.ext",
// Nextcloud's "Name (conflicted copy YYYY-MM-DD HHMMSS).ext"). A sync engine brings in each file
// on its own, so the two files in place may come from different writers. Every save gives both
// files one modification time (a save stamp), so files with the same time form a version; then
// copies with the same engine mark; a file left over stands against the other file in place.
struct PairVersion {
    QString first;
    QString second;
};

class ConflictCopies {
public:
    // The files by their paths (bare names for the current folder), both in one folder, and the
    // names listed in that folder (FolderLock::names()); the copies' names have the same form.
    ConflictCopies(const QString& firstName, const QString& secondName,
                   const QByteArrayList& folderNames);

    bool empty() const { return names.isEmpty(); }
    // The files in place form one version (no other file claims either).
    bool currentPaired() const { return currentPaired_; }
    // The files in place have one modification time: they were written together.
    bool currentTogether() const { return currentTogether_; }
    // One file in place pairs with a copy and the other (0 or 1, else -1) has no partner: the
    // engine set one version aside and is still bringing in the rest of the other, or it put
    // its file over the left one's partner. Whoever knows nothing better counts the left file
    // against the other file in place; `versions` leaves that to the caller.
    int currentLeftover() const { return currentLeftover_; }

    std::vector<PairVersion> versions; // without the files in place as a pair
    QStringList names;                 // the copies
    QStringList lonely;                // the copies without a partner

private:
    bool currentPaired_ = false;
    bool currentTogether_ = false;
    int currentLeftover_ = -1;
};

} // namespace quill
