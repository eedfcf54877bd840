#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace quill {

// The conflict copies sync engines leave of a pair of files in the current folder: Syncthing's
// "Name.sync-conflict-YYYYMMDD-HHMMSS-DEVICE.ext" and Nextcloud's
// "Name (conflicted copy YYYY-MM-DD HHMMSS).ext". Copies of both files with the same mark form
// one version; a copy of one file alone stands against the other file as it is (empty `first`
// or `second`).
struct ConflictVersion {
    QString first;
    QString second;
};

class ConflictCopies {
public:
    ConflictCopies(const QString& firstName, const QString& secondName);

    bool empty() const { return versions.empty(); }
    // Lone copies of both files: the files themselves were probably each taken from a
    // different writer, so they are no version of their own.
    bool crossed() const;
    QStringList names() const;

    std::vector<ConflictVersion> versions;
};

} // namespace quill
