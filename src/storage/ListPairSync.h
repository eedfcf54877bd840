#pragma once

#include "storage/ConflictCopies.h"
#include "storage/ListFile.h"
#include "storage/ListPairMerge.h"

#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <sys/stat.h>

namespace quill {

// The fixed pair of list files as one window shares it with other writers: other windows, other
// programs, and file-sync engines that bring in versions from other machines. It remembers what
// the window last read or wrote (each file's identity and one hash per pair), so a save merges
// whatever changed on disk since then instead of writing over it. Reading, merging and writing
// run under the folder's lock. Conflict copies a sync engine left of the two files are merged in
// and then removed.
class ListPairSync {
public:
    // The two files, named without a folder: they are in the current folder. While a sync
    // engine is seen bringing in the two files of a version, a save or load waits for it up to
    // `settleWait`.
    ListPairSync(QString firstName, QString secondName,
                 std::chrono::milliseconds settleWait = std::chrono::seconds(3));

    // Called once when a load or save starts to wait for a sync engine.
    using Waiting = std::function<void()>;

    struct Loaded {
        std::optional<EntryList> first; // nothing when the file does not exist
        std::optional<EntryList> second;
        // The second file could not be read: the failure's text (the first is handed out).
        QString secondFailure;
    };
    // Start-up: reads the pair and folds in conflict copies (then saves the pair and removes
    // them). Without the first file the second is not handed out (the window shows nothing).
    // Throws what reading the first file throws for a file that exists and cannot be read, the
    // lock failure, and what writing throws.
    Loaded load(const Waiting& waiting = {});

    // Saves the lists. Unless the files are as last read or written (and no conflict copy waits),
    // the files are read and merged with the lists first; the merged lists are returned, with
    // the entries `follow` names followed. Nothing when the lists were written as they are.
    // Throws, leaving the files untouched, when a changed file cannot be read, when the lock
    // stays taken, when a sync engine is still bringing in the files after the wait, or when
    // writing fails.
    std::optional<MergedPair> save(const PairView& lists, Followed follow,
                                   const Waiting& waiting = {});

    // Whether a save would wait for another writer's lock right now.
    bool folderBusy() const;

private:
    struct Identity {
        bool known = false;
        bool exists = false;
        quint64 device = 0, inode = 0;
        qint64 size = 0, seconds = 0, nanoseconds = 0;
        friend bool operator==(const Identity&, const Identity&) = default;
    };
    struct Files {
        Identity first, second;
        ListPair lists;
        ListFileDigests digests;
    };

    Identity identify(const QString& name) const;
    Files readFiles() const;
    MergedPair foldCopies(MergedPair merged, const ConflictCopies& copies);
    // Whether file `index` in place is as this window last read or wrote it.
    bool isKnown(int index) const;
    // Whether a sync engine is seen bringing in the files in place or a copy's partner.
    bool unsettled(const ConflictCopies& copies) const;
    static bool partnerAwaited(const struct stat& file);
    bool ownCopy(const QString& name) const;
    // The file in place (0 or 1) whose partner a sync engine is most probably still bringing
    // in, or -1.
    int arrivingFile(const ConflictCopies& copies) const;
    struct Settled {
        ConflictCopies copies;
        bool settled; // no sync engine is seen bringing in files any more
    };
    Settled settledCopies(const Waiting& waiting) const;
    // A save when other writers only appended pairs to the files since the window last read or
    // wrote them, and the window only appended to its lists: only the appended pairs are read
    // and merged, and the window's lists gain those of the other writers. False, having
    // written nothing, when that is not the case.
    bool saveAppended(const PairView& lists, Followed follow, std::optional<MergedPair>& result);
    // Writes the lists when the files are as last read or written.
    void saveAsIs(const PairView& lists);
    WrittenPair writePair(ListPieces first, ListPieces second,
                          const ListFileDigests* known = nullptr);
    void write(const MergedPair& merged, const ConflictCopies& copies);
    void remember(PairHashes base, const ListFileDigests& digests);
    bool sameFolder() const;
    PairHashes baseAgainst(const PairHashes& theirs) const;
    // The unconfirmed pairs after a write that adds the pairs `added` (sorted) to the base:
    // those before and these.
    PairHashes unconfirmedWith(const PairHashes& added) const;

    QString names_[2];
    std::chrono::milliseconds settleWait_;
    QString folder_;          // where the remembered files were, empty before the first read
    Identity known_[2];       // the files as last read or written
    ListFileDigests digests_; // their bytes
    PairHashes base_;         // the pairs as last read or written
    // Pairs this window wrote that no version of another writer has held yet, sorted. A sync
    // engine may put in place a version from another machine that never saw them (resolving a
    // conflict without a copy, or overwriting a save that raced with it); its lacking them is no
    // deletion.
    PairHashes unconfirmed_;
};

} // namespace quill
