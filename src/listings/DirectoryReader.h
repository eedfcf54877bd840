#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

namespace quill {

// Walks the entries of one folder, without "." and "..". A symbolic link counts as what it
// points to; a dangling link and a name that vanishes during the walk are left out.
class DirectoryReader {
public:
    enum class Kind { Directory, Other };
    using Visit = std::function<void(QByteArrayView name, Kind kind)>;

    explicit DirectoryReader(QByteArray directory) : directory_(std::move(directory)) {}

    // Names starting with "." count as hidden.
    void setSkipHidden(bool skip) { skipHidden_ = skip; }
    // Only the directories are wanted: other entries are not examined.
    void setDirectoriesOnly(bool only) { directoriesOnly_ = only; }

    // Throws IoFailure when the folder cannot be opened or read.
    void read(const Visit& visit) const;

    // The name as one listing line: CR and LF would split it in a list file, so they show
    // as "?". Every other byte stays.
    static QByteArray lineFor(QByteArrayView name);

private:
    QByteArray directory_;
    bool skipHidden_ = false;
    bool directoriesOnly_ = false;
};

} // namespace quill
