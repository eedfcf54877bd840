#include "storage/ListPairSync.h"

#include "core/Failure.h"
#include "storage/ConflictCopies.h"
#include "storage/FolderLock.h"
#include "storage/ListFile.h"
#include "storage/RemovalRecorder.h"
#include "storage/SaveLeftovers.h"
#include "storage/SaveStamp.h"

#include <QDateTime>
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
// How long a load or save waits for another writer's lock.
constexpr std::chrono::milliseconds LockWait{2000};
// How long after one file of a save was put in place its partner is still expected.
constexpr qint64 PartnerWaitSeconds = 60;

} // namespace

ListPairSync::ListPairSync(QString firstName, QString secondName,
                           std::chrono::milliseconds settleWait, QString folder)
    : names_{folder.isEmpty() ? firstName : folder + u'/' + firstName,
             folder.isEmpty() ? secondName : folder + u'/' + secondName},
      given_(std::move(folder)), settleWait_(settleWait) {}

QString ListPairSync::where() const {
    return given_.isEmpty() ? QDir::currentPath() : QDir(given_).absolutePath();
}

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
    return !folder_.isEmpty() && folder_ == where();
}

bool ListPairSync::knowsFiles() const {
    return sameFolder() && known_[0].known && known_[1].known;
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

qsizetype ListPairSync::halfWritten(const Identity& first, const Identity& second,
                                    qsizetype firstSize, qsizetype secondSize,
                                    bool knownBefore) const {
    const qsizetype excess = firstSize - secondSize; // > 0: the first file is the longer
    if (excess == 0)
        return 0;
    const qsizetype count = std::abs(excess);
    // What a save said of the files it wrote: a half pair (or even files, so that what another
    // program appended since to one is half a pair), its own lists, or that it could not tell.
    const auto told = [count](const Identity& file) -> std::optional<qsizetype> {
        const std::optional<Excess> said = stampedExcess(file.seconds, file.nanoseconds);
        if (!said || *said == Excess::Unknown)
            return std::nullopt;
        return *said == Excess::HalfPair ? count : 0;
    };
    // Written together by one save, or one file as another save left it and the other changed
    // since: that save says it. (Two appends of another program within one tick of the file
    // clock get equal times too, but no stamp.)
    if (first.exists && second.exists) {
        for (const Identity* file : {&first, &second}) {
            const bool ours = knownBefore && *file == known_[file == &first ? 0 : 1];
            if (!ours) {
                if (const std::optional<qsizetype> said = told(*file))
                    return *said;
            }
        }
    }
    // Against the files as this window knew them: what one held beyond the other (the lists it
    // wrote as they were) is no half pair; whatever comes beyond that is.
    if (!knownBefore)
        return -1;
    const qsizetype own = half_.empty() ? digests_[0].entries - digests_[1].entries : 0;
    const bool sameSide = (own > 0) == (excess > 0);
    return own == 0 || !sameSide ? count : std::max<qsizetype>(count - std::abs(own), 0);
}

ListPairSync::HalfPair ListPairSync::splitHalfPair(ListPair& lists, const Identity& first,
                                                   const Identity& second, bool knownBefore,
                                                   Unexplained unexplained) const {
    HalfPair half;
    qsizetype count =
        halfWritten(first, second, lists.first.size(), lists.second.size(), knownBefore);
    if (count < 0 && unexplained == Unexplained::Held) {
        count = std::abs(lists.first.size() - lists.second.size());
        half.unexplained = true;
    }
    if (count <= 0)
        return {};
    half.file = lists.first.size() > lists.second.size() ? 0 : 1;
    EntryList& longer = half.file == 0 ? lists.first : lists.second;
    half.entries.appendRange(longer, longer.size() - count, longer.size());
    for (qsizetype i = 0; i < count; ++i)
        longer.remove(longer.size() - 1);
    return half;
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
    int last = !exists[1] || (exists[0] && changed(files[0]) >= changed(files[1])) ? 0 : 1;
    // Changed within one tick of the file clock: another program's write right after a save's
    // rename is the later one.
    if (exists[0] && exists[1] && changed(files[0]) == changed(files[1]) &&
        !isSaveStamp(files[1].st_mtim.tv_sec, files[1].st_mtim.tv_nsec))
        last = 1;
    return !isKnown(last) && partnerAwaited(files[last]) ? last : -1;
}

ListPairSync::Settled ListPairSync::settledCopies(const FolderLock& lock, QByteArrayList listed,
                                                  const Waiting& waiting) const {
    // A sync engine brings in the two files one after the other; a short wait lets it finish.
    const auto until = std::chrono::steady_clock::now() + settleWait_;
    for (bool first = true;; first = false) {
        ConflictCopies copies(names_[0], names_[1], first ? listed : lock.names());
        const bool settled = !unsettled(copies);
        if (settled || std::chrono::steady_clock::now() >= until)
            return {std::move(copies), settled};
        if (first && waiting)
            waiting();
        std::this_thread::sleep_for(SettlePoll);
    }
}

WrittenPair ListPairSync::writePair(const PairView& lists, const ListPair* behind,
                                    const HalfPair& half) {
    // A half pair is only completed in place when every pair before it is whole.
    const EntryList none;
    EntryList padding[2];
    if (!half.empty()) {
        for (qsizetype i = lists.first.size(); i < lists.size(); ++i)
            padding[0].append({});
        for (qsizetype i = lists.second.size(); i < lists.size(); ++i)
            padding[1].append({});
    }
    const auto orNone = [&none](const EntryList* list) {
        return list ? list : &none;
    };
    return writeListFilePair(
        names_[0], {&lists.first, &padding[0], behind ? &behind->first : &none, orNone(half.in(0))},
        names_[1],
        {&lists.second, &padding[1], behind ? &behind->second : &none, orNone(half.in(1))}, nullptr,
        half.empty()       ? Excess::Own
        : half.unexplained ? Excess::Unknown
                           : Excess::HalfPair);
}

void ListPairSync::write(const PairView& lists, const ConflictCopies& copies, HalfPair half,
                         const std::vector<Removed>& removed) {
    std::optional<RemovalRecorder> recorder;
    keepRemoved(recorder, removed);
    const WrittenPair written = writePair(lists, nullptr, half);
    if (recorder)
        recorder->commit();
    remember(lists, nullptr, written.digests);
    half_ = std::move(half);
    // Everything the copies held is in the lists now.
    for (const QString& name : copies.names)
        QFile::remove(name);
}

void ListPairSync::keepRemoved(std::optional<RemovalRecorder>& recorder,
                               const std::vector<Removed>& removed) const {
    const bool any = std::any_of(removed.begin(), removed.end(),
                                 [](const Removed& pairs) { return !pairs.ranges.empty(); });
    if (!any)
        return;
    recorder.emplace(RemovalHistory(where()));
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const Removed& pairs : removed) {
        if (!pairs.ranges.empty())
            recorder->record(pairs.lists, pairs.ranges, pairs.cause, now);
    }
    recorder->sync();
}

void ListPairSync::remember(const PairView& lists, const ListPair* behind,
                            const ListFileDigests& digests) {
    folder_ = where();
    known_[0] = identify(names_[0]);
    known_[1] = identify(names_[1]);
    digests_ = digests;
    // A copy: it shares the lists' blocks, and what they gain later is written behind it.
    ListPair base{lists.first, lists.second};
    for (EntryList* list : {&base.first, &base.second})
        list->setFootprintLimit(EntryList().footprintLimit());
    if (behind) {
        base.first.appendRange(behind->first, 0, behind->first.size());
        base.second.appendRange(behind->second, 0, behind->second.size());
    }
    base_ = std::move(base);
}

void ListPairSync::saveAsIs(const PairView& lists, const QString& cause) {
    // The lists are compared with the base by identity where they still share its blocks (the
    // window only added or removed pairs), entry by entry where not; only what lies between
    // the pairs both begin and end with is hashed.
    const PairChanges changes = comparePairs(base_.view(), lists, !forCommand_);
    std::optional<RemovalRecorder> recorder;
    keepRemoved(recorder, {{base_.view(), changes.removed, cause}});
    // The half pair another program left stays behind the lists.
    const WrittenPair written = writePair(lists, nullptr, half_);
    if (recorder)
        recorder->commit();
    if (!forCommand_)
        unconfirmed_ = unconfirmedWith(changes.added);
    remember(lists, nullptr, written.digests);
}

ListPairSync::Loaded ListPairSync::load(const Waiting& waiting,
                                        std::optional<qint64> leftoversBefore) {
    return load(waiting, false, Unexplained::Shown, leftoversBefore);
}

ListPairSync::Loaded ListPairSync::loadForCommand(Unexplained unexplained, const Waiting& waiting) {
    Loaded loaded = load(waiting, true, unexplained, std::nullopt);
    if (!loaded.secondFailure.isEmpty())
        throw Failure(loaded.secondFailure);
    return loaded;
}

ListPairSync::Loaded ListPairSync::load(const Waiting& waiting, bool forCommand,
                                        Unexplained unexplained,
                                        std::optional<qint64> leftoversBefore) {
    const FolderLock lock(given_, LockWait, waiting);
    unconfirmed_.clear(); // what is read is what others may start from
    forCommand_ = forCommand;
    // One listing serves both: a leftover's name is never a conflict copy's.
    QByteArrayList listed = lock.names();
    if (leftoversBefore)
        removeSaveLeftovers(lock, listed, *leftoversBefore);
    const auto [copies, settled] = settledCopies(lock, std::move(listed), waiting);
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
    // Half of a version the engine did not finish bringing in is shown as it is, but stays new
    // to the window, so a save waits for the rest and merges it.
    const int arriving = settled ? -1 : arrivingFile(copies);
    // A pair another program has written half of stays out of the lists, behind them. With
    // nothing of this window's to compare with, only the save stamps tell it.
    HalfPair half;
    if (arriving < 0 && (copies.empty() || copies.currentPaired()))
        half = splitHalfPair(files.lists, files.first, files.second, false, unexplained);
    // Copies whose partners are still on their way wait for a save.
    if (!copies.empty() && settled) {
        MergedPair merged = copies.currentPaired()
                                ? uniteListPairs(files.lists.view(), ListPair().view())
                                : MergedPair{};
        merged = foldCopies(std::move(merged), copies);
        Loaded loaded{{}, {}, QString(), half.entries, half.file};
        write(merged.lists.view(), copies, std::move(half));
        loaded.first = std::move(merged.lists.first);
        loaded.second = std::move(merged.lists.second);
        return loaded;
    }
    Loaded loaded;
    loaded.heldBack = half.entries;
    loaded.heldBackFile = half.file;
    folder_ = where();
    known_[0] = files.first;
    known_[1] = files.second;
    digests_ = files.digests;
    half_ = std::move(half);
    if (arriving >= 0)
        known_[arriving] = Identity{true, false};
    if (!files.first.exists && !forCommand) {
        // The window shows nothing; a second file it did not show counts as changed later.
        base_ = {};
        half_ = {};
        if (files.second.exists)
            known_[1] = Identity{};
        return loaded;
    }
    // The lists handed out and the base share their entries until the lists change.
    base_ = files.lists;
    if (files.first.exists)
        loaded.first = std::move(files.lists.first);
    if (files.second.exists)
        loaded.second = std::move(files.lists.second);
    return loaded;
}

std::optional<MergedPair> ListPairSync::save(const PairView& lists, Followed follow,
                                             const Waiting& waiting, const QString& cause) {
    const FolderLock lock(given_, LockWait, waiting);
    const auto [copies, settled] = settledCopies(lock, lock.names(), waiting);
    if (!settled)
        // Half of a version is no pair to merge with, and writing over it would lose it.
        throw Failure(u"Cannot save \"%1\" and \"%2\". A sync engine is still bringing them "
                      u"in; save again in a moment."_s.arg(names_[0], names_[1]));
    const bool unchanged =
        sameFolder() && identify(names_[0]) == known_[0] && identify(names_[1]) == known_[1];
    if (unchanged && copies.empty()) {
        // The common case.
        saveAsIs(lists, cause);
        return std::nullopt;
    }
    if (std::optional<MergedPair> result; copies.empty() && saveAppended(lists, follow, result))
        return result;
    Files current = readFiles();
    // The sides are hashed at once, one on each core.
    auto ourHashing = std::async(std::launch::async, [&lists] { return pairHashes(lists); });
    PairHashes ours;
    const auto ourHashes = [&]() -> const PairHashes& {
        if (ourHashing.valid())
            ours = ourHashing.get();
        return ours;
    };
    MergedPair merged;
    PairHashes theirs; // what the other writer's version in place holds
    HalfPair half;     // and what it holds of a pair half written
    const bool apart = unchanged || !copies.currentPaired();
    // Lists from another folder, or files never read, are united: everything of both is kept.
    const bool threeWay = !apart && knowsFiles();
    if (apart) {
        // The files in place, when they are no pair, come in with the copies.
        merged = uniteListPairs(lists, ListPair().view(), follow);
        if (unchanged)
            half = half_;
    } else {
        half = splitHalfPair(current.lists, current.first, current.second, knowsFiles());
        std::future<PairHashes> baseHashing;
        if (threeWay)
            baseHashing =
                std::async(std::launch::async, [this] { return pairHashes(base_.view()); });
        theirs = pairHashes(current.lists.view());
        if (!threeWay) {
            merged = uniteListPairs(lists, current.lists.view(), follow);
        } else {
            merged = mergeListPairs(baseAgainst(baseHashing.get(), theirs), lists,
                                    current.lists.view(), follow, {&ourHashes(), &theirs});
        }
    }
    merged = foldCopies(std::move(merged), copies);
    std::vector<Removed> removed;
    if (apart) {
        // Nothing new of another writer was read: what was unconfirmed stays so. Files as last
        // read or written lose what the lists lack.
        const PairChanges changes = comparePairs(base_.view(), merged.lists.view(), true);
        unconfirmed_ = unconfirmedWith(changes.added);
        if (unchanged)
            removed.push_back({base_.view(), changes.removed, cause});
    } else {
        unconfirmed_ = addedPairs(theirs, merged.hashes);
    }
    if (threeWay) {
        // The files lose what the window removed, the window what other writers removed.
        const PairView result = merged.lists.view();
        removed.push_back(
            {current.lists.view(), comparePairs(current.lists.view(), result).removed, cause});
        removed.push_back({lists, comparePairs(lists, result).removed, u"merged"_s});
    }
    // When the others' versions changed nothing of the lists, they are written as they are.
    if (merged.hashes == ourHashes()) {
        write(lists, copies, std::move(half), removed);
        return std::nullopt;
    }
    write(merged.lists.view(), copies, std::move(half), removed);
    return merged;
}

bool ListPairSync::saveAppended(const PairView& lists, Followed follow,
                                std::optional<MergedPair>& result) {
    // The files began as the base (its pairs, then the half pair behind them) when their heads
    // are as last read or written (the checksums) and are the head of the window's lists and
    // that half pair (compared byte for byte). Then the three-way merge keeps that head and
    // comes down to merging what each side appended.
    const qsizetype count = base_.view().size();
    if (!sameFolder() || digests_[0].entries != count + (half_.in(0) ? half_.entries.size() : 0) ||
        digests_[1].entries != count + (half_.in(1) ? half_.entries.size() : 0) ||
        lists.first.size() != lists.second.size() || lists.first.size() < count)
        return false;
    const Identity before[2] = {identify(names_[0]), identify(names_[1])};
    ListFileDigests digests;
    auto reading = std::async(std::launch::async, [&] {
        return readAppendedEntries(names_[1], digests_[1], lists.second, digests[1], half_.in(1));
    });
    std::optional<EntryList> first =
        readAppendedEntries(names_[0], digests_[0], lists.first, digests[0], half_.in(0));
    std::optional<EntryList> second = reading.get();
    if (!first || !second || identify(names_[0]) != before[0] || identify(names_[1]) != before[1])
        return false;
    // The others' version behind the base: the half pair it held, then what was appended.
    ListPair theirs{std::move(*first), std::move(*second)};
    if (!half_.empty()) {
        EntryList& appended = half_.file == 0 ? theirs.first : theirs.second;
        EntryList joined = half_.entries;
        joined.appendRange(appended, 0, appended.size());
        appended = std::move(joined);
    }
    // Both lists lack the same head, so what one holds beyond the other is as in the files.
    HalfPair half = splitHalfPair(theirs, before[0], before[1], true);
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
    // Without new pairs of the window's the files in place are the merge already (a half pair
    // at the end of the longer file); otherwise they gain the window's new pairs and the
    // others' behind them, and the half pair last.
    if (kept > 0)
        digests = writePair(lists, &behind.lists, half).digests;
    remember(lists, &behind.lists, digests);
    half_ = std::move(half);
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

PairHashes ListPairSync::baseAgainst(const PairHashes& base, const PairHashes& theirs) const {
    // Pairs we wrote that theirs never held leave the base: theirs lacking them is no deletion,
    // so the merge keeps them as our additions.
    if (unconfirmed_.empty())
        return base;
    std::vector<bool> held(unconfirmed_.size());
    for (const std::uint64_t hash : theirs) {
        const auto at = std::lower_bound(unconfirmed_.begin(), unconfirmed_.end(), hash);
        if (at != unconfirmed_.end() && *at == hash)
            held[size_t(at - unconfirmed_.begin())] = true;
    }
    PairHashes kept;
    kept.reserve(base.size());
    for (const std::uint64_t hash : base) {
        const auto at = std::lower_bound(unconfirmed_.begin(), unconfirmed_.end(), hash);
        if (at == unconfirmed_.end() || *at != hash || held[size_t(at - unconfirmed_.begin())])
            kept.push_back(hash);
    }
    return kept;
}

} // namespace quill
