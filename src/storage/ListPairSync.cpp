#include "storage/ListPairSync.h"

#include "core/Failure.h"
#include "storage/ConflictCopies.h"
#include "storage/FolderLock.h"
#include "storage/ListFile.h"
#include "storage/SaveStamp.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <future>
#include <iterator>
#include <sys/stat.h>
#include <thread>
#include <utility>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

// Another writer may replace a file while it is read; a few attempts get a steady pair.
constexpr int ReadAttempts = 5;
constexpr std::chrono::milliseconds SettlePoll{50};
// How long after one file of a save was put in place its partner is still expected.
constexpr qint64 PartnerWaitSeconds = 60;

} // namespace

ListPairSync::ListPairSync(QString firstName, QString secondName,
                           std::chrono::milliseconds settleWait)
    : names_{std::move(firstName), std::move(secondName)}, settleWait_(settleWait) {}

ListPairSync::Identity ListPairSync::identify(const QString& name) const {
    struct stat status {};
    if (::stat(QFile::encodeName(name).constData(), &status) != 0)
        return {true, false};
    return {true,
            true,
            quint64(status.st_dev),
            quint64(status.st_ino),
            qint64(status.st_size),
            qint64(status.st_mtim.tv_sec),
            qint64(status.st_mtim.tv_nsec)};
}

ListPairSync::Files ListPairSync::readFiles() const {
    Files files;
    for (int attempt = 0; attempt < ReadAttempts; ++attempt) {
        files.first = identify(names_[0]);
        files.second = identify(names_[1]);
        // The two files are read at once, one on each core.
        auto reading = std::async(std::launch::async, [this, &files] {
            return readListFileIfPresent(names_[1], &files.digests[1]);
        });
        std::optional<EntryList> first = readListFileIfPresent(names_[0], &files.digests[0]);
        std::optional<EntryList> second = reading.get();
        files.lists.first = first ? std::move(*first) : EntryList();
        files.lists.second = second ? std::move(*second) : EntryList();
        if (identify(names_[0]) == files.first && identify(names_[1]) == files.second)
            break;
    }
    return files;
}

bool ListPairSync::sameFolder() const {
    return !folder_.isEmpty() && folder_ == QDir::currentPath();
}

bool ListPairSync::folderBusy() const {
    return !FolderLock::isFree(QString());
}

MergedPair ListPairSync::foldCopies(MergedPair merged, const ConflictCopies& copies) {
    std::vector<PairVersion> versions = copies.versions;
    // A file in place left without its partner is the window's own last write when the engine
    // put another machine's file over its partner: the lists hold its pairs. Any other such
    // file is counted against the other file in place.
    if (const int left = copies.currentLeftover(); left >= 0 && !isKnown(left))
        versions.push_back({names_[0], names_[1]});
    // A copy that is the window's own last write set aside by the engine holds nothing the
    // lists lack; its version is left out. Of other copies, where they came from is unknown,
    // so nothing they lack counts as deleted.
    for (const PairVersion& version : versions) {
        if (ownCopy(version.first) || ownCopy(version.second))
            continue;
        std::optional<EntryList> first = readListFileIfPresent(version.first);
        std::optional<EntryList> second = readListFileIfPresent(version.second);
        const ListPair copy{first ? std::move(*first) : EntryList(),
                            second ? std::move(*second) : EntryList()};
        merged = uniteListPairs(merged.lists.view(), copy.view(), merged.followed);
    }
    return merged;
}

bool ListPairSync::isKnown(int index) const {
    return sameFolder() && known_[index].exists && identify(names_[index]) == known_[index];
}

bool ListPairSync::unsettled(const ConflictCopies& copies) const {
    const int left = copies.currentLeftover();
    if ((left >= 0 && !isKnown(left)) || arrivingFile(copies) >= 0)
        return true;
    // A copy of one file of a save whose partner copy is not there yet.
    for (const QString& name : copies.lonely) {
        struct stat file {};
        if (::stat(QFile::encodeName(name).constData(), &file) == 0 && partnerAwaited(file) &&
            !ownCopy(name))
            return true;
    }
    return false;
}

bool ListPairSync::partnerAwaited(const struct stat& file) {
    // A file a save wrote (it bears the stamp) that was put here lately: an engine that brought
    // it in is most probably still bringing in its partner. Another program's file bears no
    // stamp.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return isSaveStamp(file.st_mtim.tv_sec, file.st_mtim.tv_nsec) &&
           now.tv_sec - file.st_ctim.tv_sec < PartnerWaitSeconds;
}

bool ListPairSync::ownCopy(const QString& name) const {
    // The window's own last write that the engine set aside under a copy's name.
    for (int index = 0; index < 2; ++index) {
        if (name != names_[index] && sameFolder() && known_[index].exists &&
            identify(name) == known_[index])
            return true;
    }
    return false;
}

int ListPairSync::arrivingFile(const ConflictCopies& copies) const {
    if (!copies.currentPaired() || copies.currentTogether())
        return -1;
    // The files in place are of two versions: the one put in place last (whose status changed
    // last) may be waiting for its partner, unless it is as this window last wrote it.
    struct stat files[2]{};
    bool exists[2];
    for (int i = 0; i < 2; ++i)
        exists[i] = ::stat(QFile::encodeName(names_[i]).constData(), &files[i]) == 0;
    if (!exists[0] && !exists[1])
        return -1;
    const auto changed = [](const struct stat& file) {
        return std::pair(file.st_ctim.tv_sec, file.st_ctim.tv_nsec);
    };
    const int last = !exists[1] || (exists[0] && changed(files[0]) >= changed(files[1])) ? 0 : 1;
    return !isKnown(last) && partnerAwaited(files[last]) ? last : -1;
}

ListPairSync::Settled ListPairSync::settledCopies(const Waiting& waiting) const {
    // A sync engine brings in the two files one after the other; a short wait lets it finish.
    const auto until = std::chrono::steady_clock::now() + settleWait_;
    for (bool first = true;; first = false) {
        ConflictCopies copies(names_[0], names_[1]);
        const bool settled = !unsettled(copies);
        if (settled || std::chrono::steady_clock::now() >= until)
            return {std::move(copies), settled};
        if (first && waiting)
            waiting();
        std::this_thread::sleep_for(SettlePoll);
    }
}

WrittenPair ListPairSync::writePair(ListPieces first, ListPieces second,
                                    const ListFileDigests* known) {
    return writeListFilePair(names_[0], first, names_[1], second, known);
}

void ListPairSync::write(const MergedPair& merged, const ConflictCopies& copies) {
    remember(merged.hashes, writePair({&merged.lists.first}, {&merged.lists.second}).digests);
    // Everything the copies held is in the lists now.
    for (const QString& name : copies.names)
        QFile::remove(name);
}

void ListPairSync::remember(PairHashes base, const ListFileDigests& digests) {
    folder_ = QDir::currentPath();
    known_[0] = identify(names_[0]);
    known_[1] = identify(names_[1]);
    digests_ = digests;
    base_ = std::move(base);
}

void ListPairSync::saveAsIs(const PairView& lists) {
    // Lists the window only added pairs to keep the base as their head, which the write
    // confirms (the files then begin as last read or written); only the new pairs are hashed.
    // Lists changed otherwise are hashed anew on another core while they are written.
    const qsizetype count = qsizetype(base_.size());
    const bool grown = digests_[0].entries == count && digests_[1].entries == count &&
                       lists.first.size() >= count && lists.second.size() >= count;
    std::future<PairHashes> hashing;
    if (!grown)
        hashing = std::async(std::launch::async, [&lists] { return pairHashes(lists); });
    const WrittenPair written =
        writePair({&lists.first}, {&lists.second}, grown ? &digests_ : nullptr);
    if (grown && written.extendsKnown[0] && written.extendsKnown[1]) {
        PairHashes added;
        for (qsizetype i = count; i < lists.size(); ++i)
            added.push_back(pairHash(lists, i));
        unconfirmed_ = unconfirmedWith(addedPairs({}, added));
        PairHashes base = std::move(base_);
        base.insert(base.end(), added.begin(), added.end());
        remember(std::move(base), written.digests);
        return;
    }
    PairHashes hashes = grown ? pairHashes(lists) : hashing.get();
    unconfirmed_ = unconfirmedWith(addedPairs(base_, hashes));
    remember(std::move(hashes), written.digests);
}

ListPairSync::Loaded ListPairSync::load(const Waiting& waiting) {
    const FolderLock lock{QString()};
    unconfirmed_.clear(); // what is read is what others may start from
    const auto [copies, settled] = settledCopies(waiting);
    Files files;
    try {
        files = readFiles();
    } catch (const Failure& failure) {
        // The first list is shown even when the second cannot be read; it throws when it is
        // the one that failed. Nothing is remembered, so a save reads both again.
        Loaded loaded;
        loaded.first = readListFileIfPresent(names_[0]);
        loaded.secondFailure = failure.message();
        folder_.clear();
        return loaded;
    }
    // Copies whose partners are still on their way wait for a save.
    if (!copies.empty() && settled) {
        MergedPair merged = copies.currentPaired()
                                ? uniteListPairs(files.lists.view(), ListPair().view())
                                : MergedPair{};
        merged = foldCopies(std::move(merged), copies);
        write(merged, copies);
        return {std::move(merged.lists.first), std::move(merged.lists.second), QString()};
    }
    // Half of a version the engine did not finish bringing in is shown as it is, but stays new
    // to the window, so a save waits for the rest and merges it.
    const int arriving = settled ? -1 : arrivingFile(copies);
    Loaded loaded;
    folder_ = QDir::currentPath();
    known_[0] = files.first;
    known_[1] = files.second;
    digests_ = files.digests;
    if (arriving >= 0)
        known_[arriving] = Identity{true, false};
    if (!files.first.exists) {
        // The window shows nothing; a second file it did not show counts as changed later.
        base_.clear();
        if (files.second.exists)
            known_[1] = Identity{};
        return loaded;
    }
    base_ = pairHashes(files.lists.view());
    loaded.first = std::move(files.lists.first);
    if (files.second.exists)
        loaded.second = std::move(files.lists.second);
    return loaded;
}

std::optional<MergedPair> ListPairSync::save(const PairView& lists, Followed follow,
                                             const Waiting& waiting) {
    const FolderLock lock{QString()};
    const auto [copies, settled] = settledCopies(waiting);
    if (!settled)
        // Half of a version is no pair to merge with, and writing over it would lose it.
        throw Failure(u"Cannot save \"%1\" and \"%2\". A sync engine is still bringing them "
                      u"in; save again in a moment."_s.arg(names_[0], names_[1]));
    const bool unchanged =
        sameFolder() && identify(names_[0]) == known_[0] && identify(names_[1]) == known_[1];
    if (unchanged && copies.empty()) {
        // The common case.
        saveAsIs(lists);
        return std::nullopt;
    }
    if (std::optional<MergedPair> result; copies.empty() && saveAppended(lists, follow, result))
        return result;
    const Files current = readFiles();
    MergedPair merged;
    PairHashes theirs; // what the other writer's version in place holds
    const bool apart = unchanged || !copies.currentPaired();
    if (apart) {
        // The files in place, when they are no pair, come in with the copies.
        merged = uniteListPairs(lists, ListPair().view(), follow);
    } else {
        if (!sameFolder() || !known_[0].known || !known_[1].known) {
            // Lists from another folder, or files never read: keep everything of both.
            theirs = pairHashes(current.lists.view());
            merged = uniteListPairs(lists, current.lists.view(), follow);
        } else {
            // Both sides are hashed at once, one on each core.
            auto ourHashing =
                std::async(std::launch::async, [&lists] { return pairHashes(lists); });
            theirs = pairHashes(current.lists.view());
            const PairHashes ours = ourHashing.get();
            merged = mergeListPairs(baseAgainst(theirs), lists, current.lists.view(), follow,
                                    {&ours, &theirs});
        }
    }
    merged = foldCopies(std::move(merged), copies);
    if (apart) {
        // Nothing new of another writer was read: what was unconfirmed stays so.
        unconfirmed_ = unconfirmedWith(addedPairs(base_, merged.hashes));
    } else {
        unconfirmed_ = addedPairs(theirs, merged.hashes);
    }
    write(merged, copies);
    return merged;
}

bool ListPairSync::saveAppended(const PairView& lists, Followed follow,
                                std::optional<MergedPair>& result) {
    // The files began as the base when their heads are as last read or written (the checksums)
    // and are the head of the window's lists (compared byte for byte). Then the three-way merge
    // keeps that head and comes down to merging what each side appended.
    const qsizetype count = qsizetype(base_.size());
    if (!sameFolder() || digests_[0].entries != count || digests_[1].entries != count ||
        lists.first.size() != lists.second.size() || lists.first.size() < count)
        return false;
    const Identity before[2] = {identify(names_[0]), identify(names_[1])};
    ListFileDigests digests;
    auto reading = std::async(std::launch::async, [&] {
        return readAppendedEntries(names_[1], digests_[1], lists.second, digests[1]);
    });
    std::optional<EntryList> first =
        readAppendedEntries(names_[0], digests_[0], lists.first, digests[0]);
    std::optional<EntryList> second = reading.get();
    if (!first || !second || identify(names_[0]) != before[0] || identify(names_[1]) != before[1])
        return false;
    const ListPair theirs{std::move(*first), std::move(*second)};
    ListPair ours;
    ours.first.appendRange(lists.first, count, lists.first.size());
    ours.second.appendRange(lists.second, count, lists.second.size());
    const PairHashes ourHashes = pairHashes(ours.view());
    const PairHashes theirHashes = pairHashes(theirs.view());
    MergedPair merged =
        mergeListPairs({}, ours.view(), theirs.view(), {}, {&ourHashes, &theirHashes});
    // The window's lists keep their places only when the merge begins with their new pairs.
    if (merged.hashes.size() < ourHashes.size() ||
        !std::equal(ourHashes.begin(), ourHashes.end(), merged.hashes.begin()))
        return false;
    // Pairs the window added that the other writers lack are theirs to confirm, as after a merge.
    PairHashes unconfirmed = addedPairs(theirHashes, merged.hashes);
    const qsizetype kept = ours.view().size();
    MergedPair behind;
    behind.lists.first.appendRange(merged.lists.first, kept, merged.lists.first.size());
    behind.lists.second.appendRange(merged.lists.second, kept, merged.lists.second.size());
    behind.hashes.assign(merged.hashes.begin() + kept, merged.hashes.end());
    behind.followed = follow;
    behind.appendsToOurs = true;
    // Without new pairs of the window's the files in place are the merge already; otherwise
    // they gain the window's new pairs and the others' behind them.
    if (kept > 0) {
        digests =
            writePair({&lists.first, &behind.lists.first}, {&lists.second, &behind.lists.second})
                .digests;
    }
    PairHashes base = std::move(base_);
    base.insert(base.end(), merged.hashes.begin(), merged.hashes.end());
    remember(std::move(base), digests);
    unconfirmed_ = std::move(unconfirmed);
    if (!behind.hashes.empty())
        result = std::move(behind);
    return true;
}

PairHashes ListPairSync::unconfirmedWith(const PairHashes& added) const {
    PairHashes unconfirmed;
    std::set_union(unconfirmed_.begin(), unconfirmed_.end(), added.begin(), added.end(),
                   std::back_inserter(unconfirmed));
    return unconfirmed;
}

PairHashes ListPairSync::baseAgainst(const PairHashes& theirs) const {
    // Pairs we wrote that theirs never held leave the base: theirs lacking them is no deletion,
    // so the merge keeps them as our additions.
    if (unconfirmed_.empty())
        return base_;
    std::vector<bool> held(unconfirmed_.size());
    for (const std::uint64_t hash : theirs) {
        const auto at = std::lower_bound(unconfirmed_.begin(), unconfirmed_.end(), hash);
        if (at != unconfirmed_.end() && *at == hash)
            held[size_t(at - unconfirmed_.begin())] = true;
    }
    PairHashes base;
    base.reserve(base_.size());
    for (const std::uint64_t hash : base_) {
        const auto at = std::lower_bound(unconfirmed_.begin(), unconfirmed_.end(), hash);
        if (at == unconfirmed_.end() || *at != hash || held[size_t(at - unconfirmed_.begin())])
            base.push_back(hash);
    }
    return base;
}

} // namespace quill
