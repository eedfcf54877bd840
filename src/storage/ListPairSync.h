#pragma once

#include "storage/ConflictCopies.h"
#include "storage/ListFile.h"
#include "storage/ListPairMerge.h"
#include "storage/PairChanges.h"

#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace quill {

class FolderLock;
class RemovalRecorder;

// The fixed pair of list files as one window shares it with other writers: other windows, other
// programs, and file-sync engines that bring in versions from other machines. It remembers what
// the window last read or wrote (each file's identity, and the lists themselves as a copy that
// shares the entries' blocks with the window's lists), so a save merges whatever changed on disk
// since then instead of writing over it. Reading, merging and writing run under the folder's
// lock. Conflict copies a sync engine left of the two files are merged in and then removed.
// Every pair a save takes out of the files, or out of the window's lists because another writer
// removed it, is first kept in the folder's removal history (RemovalHistory).
// A merge works on whole pairs: a version whose lists are uneven counts as padded with empty
// entries, and what a merge gives is even. Entries another program appended to one file beyond
// what it appended to the other are a pair half written: they stay at the end of that file, after
// every pair and out of the lists handed out, until the other half comes and completes them in
// place. A save that nobody else's change reaches writes the lists as they are, uneven or not.
class ListPairSync {
public:
    // The two files, named without a folder: they are in `folder`, or in the current folder
    // (wherever it is at each call) when none is given. While a sync engine is seen bringing in
    // the two files of a version, a save or load waits for it up to `settleWait`.
    ListPairSync(QString firstName, QString secondName,
                 std::chrono::milliseconds settleWait = std::chrono::seconds(3),
                 QString folder = QString());

    // Called when a load or save starts to wait: once for another writer's lock, once for a sync
    // engine.
    using Waiting = std::function<void()>;

    struct Loaded {
        std::optional<EntryList> first; // nothing when the file does not exist
        std::optional<EntryList> second;
        // The second file could not be read: the failure's text (the first is handed out).
        QString secondFailure;
        // What stays behind the lists at the end of one file (0 or 1; -1 for nothing).
        EntryList heldBack;
        int heldBackFile = -1;
    };
    // Start-up: reads the pair and folds in conflict copies (then saves the pair and removes
    // them). Without the first file the second is not handed out (the window shows nothing).
    // With `leftoversBefore`, the temporary files of saves cut short before then are removed
    // first (removeSaveLeftovers), under the same lock and from the same listing of the folder.
    // Throws what reading the first file throws for a file that exists and cannot be read, the
    // lock failure, and what writing throws.
    Loaded load(const Waiting& waiting = {}, std::optional<qint64> leftoversBefore = {});
    // The same for a command without a window (export, import, ...): both lists are handed out
    // whichever exists, and a second file that cannot be read throws too. The command's saves
    // hand in lists that begin with those handed out (it appends to them). Where nothing tells
    // whether what one file holds beyond the other is the lists' own or a pair another program
    // has written half of, a window and a reading command show it; a command that appends pairs
    // holds it back (Held), so that its pairs go before it and never complete it, and the save
    // marks it as unknown.
    enum class Unexplained { Shown, Held };
    Loaded loadForCommand(Unexplained unexplained = Unexplained::Shown,
                          const Waiting& waiting = {});

    // Saves the lists. Unless the files are as last read or written (and no conflict copy waits),
    // the files are read and merged with the lists first; the merged lists are returned, with
    // the entries `follow` names followed. Nothing when the lists were written as they are.
    // Pairs the save takes out of the files are first kept in the removal history with `cause`
    // (the command that saves), pairs it takes out of the lists because another writer removed
    // them with the cause "merged"; the history is synced before the files are written.
    // Throws, leaving the files untouched (and the history as it was), when a changed file cannot
    // be read, when the lock stays taken, when a sync engine is still bringing in the files after
    // the wait, when the removal history cannot be written, or when writing fails.
    std::optional<MergedPair> save(const PairView& lists, Followed follow,
                                   const Waiting& waiting = {}, const QString& cause = {});

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
    // Entries another program wrote at the end of one file only, the start of pairs whose other
    // halves have not come yet.
    struct HalfPair {
        int file = -1; // 0 or 1, -1 for none
        EntryList entries;
        bool unexplained = false; // held back where nothing told what it is
        bool empty() const { return entries.empty(); }
        const EntryList* in(int index) const { return index == file ? &entries : nullptr; }
    };

    Loaded load(const Waiting& waiting, bool forCommand, Unexplained unexplained,
                std::optional<qint64> leftoversBefore);
    QString where() const;
    Identity identify(const QString& name) const;
    Files readFiles() const;
    MergedPair foldCopies(MergedPair merged, const ConflictCopies& copies);
    // Whether file `index` in place is as this window last read or wrote it.
    bool isKnown(int index) const;
    // Whether a sync engine is seen bringing in the files in place or a copy's partner.
    bool unsettled(const ConflictCopies& copies) const;
    // How many entries at the end of the longer of two lists of these sizes, read from these
    // files, another program has written only half of; -1 when nothing tells. `knownBefore`:
    // judged against the files as this window last read or wrote them where the save stamps
    // tell nothing newer.
    qsizetype halfWritten(const Identity& first, const Identity& second, qsizetype firstSize,
                          qsizetype secondSize, bool knownBefore) const;
    // Splits the half pair off the end of the longer list.
    HalfPair splitHalfPair(ListPair& lists, const Identity& first, const Identity& second,
                           bool knownBefore, Unexplained unexplained = Unexplained::Shown) const;
    // Whether the window knows what the files held when it last read or wrote them.
    bool knowsFiles() const;
    static bool partnerAwaited(const struct stat& file);
    bool ownCopy(const QString& name) const;
    // The file in place (0 or 1) whose partner a sync engine is most probably still bringing
    // in, or -1.
    int arrivingFile(const ConflictCopies& copies) const;
    struct Settled {
        ConflictCopies copies;
        bool settled; // no sync engine is seen bringing in files any more
    };
    // `listed`: the folder's names as the caller listed them under `lock`, for the first look.
    Settled settledCopies(const FolderLock& lock, QByteArrayList listed,
                          const Waiting& waiting) const;
    // A save when other writers only appended pairs to the files since the window last read or
    // wrote them, and the window only appended to its lists: only the appended pairs are read
    // and merged, and the window's lists gain those of the other writers. False, having
    // written nothing, when that is not the case.
    bool saveAppended(const PairView& lists, Followed follow, std::optional<MergedPair>& result);
    // Writes the lists when the files are as last read or written.
    void saveAsIs(const PairView& lists, const QString& cause);
    // Writes the lists (padded to even when a half pair follows them), the pairs `behind` them
    // if given, and the half pair last.
    WrittenPair writePair(const PairView& lists, const ListPair* behind, const HalfPair& half);
    // Pairs of `lists` that a save takes out, and why.
    struct Removed {
        PairView lists;
        PairRanges ranges;
        QString cause;
    };
    // Writes the lists and remembers them, the removed pairs kept first.
    void write(const PairView& lists, const ConflictCopies& copies, HalfPair half,
               const std::vector<Removed>& removed = {});
    // Keeps the removed pairs in the folder's removal history, synced, in `recorder`, which
    // commits them once the files are written.
    void keepRemoved(std::optional<RemovalRecorder>& recorder,
                     const std::vector<Removed>& removed) const;
    void remember(const PairView& lists, const ListPair* behind, const ListFileDigests& digests);
    bool sameFolder() const;
    PairHashes baseAgainst(const PairHashes& base, const PairHashes& theirs) const;
    // The unconfirmed pairs after a write that adds the pairs `added` (sorted) to the base:
    // those before and these.
    PairHashes unconfirmedWith(const PairHashes& added) const;

    QString names_[2]; // the files' paths: bare names for the current folder
    QString given_;    // the folder given, empty for the current folder
    std::chrono::milliseconds settleWait_;
    QString folder_;          // where the remembered files were, empty before the first read
    Identity known_[2];       // the files as last read or written
    ListFileDigests digests_; // their bytes
    // The lists as last read or written: a copy sharing the blocks of the lists handed out or
    // saved, so it costs memory only for what the window changed since.
    ListPair base_;
    HalfPair half_; // and the half pair behind them
    // A command saves once: it keeps no track of the pairs others have yet to confirm.
    bool forCommand_ = false;
    // Pairs this window wrote that no version of another writer has held yet, sorted. A sync
    // engine may put in place a version from another machine that never saw them (resolving a
    // conflict without a copy, or overwriting a save that raced with it); its lacking them is no
    // deletion.
    PairHashes unconfirmed_;
};

} // namespace quill
