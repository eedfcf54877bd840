#pragma once

#include "storage/RemovalBlock.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace quill {

// The pairs that saves took out of the list files of one folder, kept per user under the state
// folder ($XDG_STATE_HOME/Quillbook/removed/), never in the list folder, which a sync engine
// carries to other machines. The history is a folder of files written only at their end, each
// up to about a sixteenth of the limit; once the history passes the limit its oldest files go.
// RemovalRecorder writes it.
class RemovalHistory {
public:
    // The history of the list folder (any path to it, symbolic links resolved); `stateFolder`
    // holds every folder's history and the limit.
    explicit RemovalHistory(const QString& listFolder,
                            const QString& stateFolder = defaultStateFolder());

    // $XDG_STATE_HOME/Quillbook when that is an absolute path, else ~/.local/state/Quillbook.
    static QString defaultStateFolder();

    static constexpr qint64 DefaultLimit = qint64(1) << 30;
    // The most every folder's history keeps: as the user set it, else DefaultLimit.
    static qint64 limit(const QString& stateFolder = defaultStateFolder());
    // Throws Failure when the setting cannot be written.
    static void setLimit(qint64 bytes, const QString& stateFolder = defaultStateFolder());
    // How large a file of a history with this limit grows before the next one starts.
    static qint64 fileSize(qint64 limit);

    // Where this history's files are, and the list folder they belong to.
    const QString& folder() const { return folder_; }
    const QString& listFolder() const { return listFolder_; }
    // The names of the history's files, oldest first; none before the first record.
    QStringList files() const;

    // Hands the blocks to `take`, oldest first, or newest first. A block cut short or damaged (a
    // kill in the middle of a write) is passed over. Throws Failure when a file of the history
    // cannot be read.
    enum class Order { OldestFirst, NewestFirst };
    void read(const std::function<void(RemovalBlock&&)>& take,
              Order order = Order::OldestFirst) const;

    // Removes the oldest files while the history holds more than `limit` bytes; the newest file
    // stays.
    void trim(qint64 limit) const;

private:
    QString listFolder_;
    QString folder_;
};

} // namespace quill
