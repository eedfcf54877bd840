#pragma once

#include "storage/FolderLock.h"
#include "storage/PairChanges.h"
#include "storage/RemovalHistory.h"

#include <QByteArray>

#include <optional>
#include <vector>

namespace quill {

// What one save adds to a folder's removal history, kept safe before the list files change.
// record() appends the pairs and sync() puts them on the disk; commit() keeps them and lets the
// oldest records beyond the limit go. Without commit() (the list files could not be written)
// the history is put back as it was. One recorder at a time works on a history (a lock on its
// folder).
class RemovalRecorder {
public:
    // Creates the history's folders as needed and takes its lock. Throws Failure.
    explicit RemovalRecorder(RemovalHistory history, qint64 limit = RemovalHistory::limit());
    ~RemovalRecorder();
    RemovalRecorder(const RemovalRecorder&) = delete;
    RemovalRecorder& operator=(const RemovalRecorder&) = delete;

    // Appends the pairs `ranges` names of `lists`, in large writes. A history file that a kill
    // left with a block cut short at its end is cut back to its whole blocks first. Throws
    // Failure (NoSpaceFailure on a full device), leaving the history as it was.
    void record(const PairView& lists, const PairRanges& ranges, const QString& cause, qint64 time);
    // Puts what was recorded on the disk. Throws as record() does.
    void sync();
    void commit();

private:
    struct Written {
        int fd;
        QString name;
        qint64 size;
        bool created; // by this recorder
    };
    void openNewest();
    void startFile(qint64 number);
    void flush();
    // Takes the name by value: it often belongs to a file that the roll back forgets.
    [[noreturn]] void fail(int error, QString name);
    void rollBack();

    RemovalHistory history_;
    std::optional<FolderLock> lock_;
    qint64 limit_;
    qint64 fileSize_;
    std::vector<Written> files_; // touched by this recorder, the one written to last
    qint64 firstSize_ = 0;       // what the first of them held before
    qint64 lastNumber_ = 0;
    QByteArray buffer_;
    bool committed_ = false;
};

} // namespace quill
