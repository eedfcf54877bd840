#include "storage/ListPairMerge.h"

#include "storage/SequenceDiff.h"

#include <QHash>

#include <algorithm>
#include <optional>
#include <span>

namespace quill {

namespace {

std::uint64_t mix(std::uint64_t value) {
    value ^= value >> 30;
    value *= 0xbf58476d1ce4e5b9ull;
    value ^= value >> 27;
    value *= 0x94d049bb133111ebull;
    return value ^ (value >> 31);
}

using Hashes = std::span<const std::uint64_t>;

// One side of a merge: its lists and the hashes of a stretch of its pairs.
struct Side {
    const PairView* lists;
    qsizetype start; // pair index of hashes[0]
    PairHashes hashes;
    Hashes range(qsizetype from, qsizetype to) const {
        return Hashes(hashes).subspan(size_t(from), size_t(to - from));
    }
};

Side middleOf(const PairView& lists, qsizetype from, qsizetype to,
              const PairHashes* known = nullptr) {
    Side side{&lists, from, {}};
    if (known)
        side.hashes.assign(known->begin() + from, known->begin() + to);
    else {
        side.hashes.reserve(size_t(to - from));
        for (qsizetype i = from; i < to; ++i)
            side.hashes.push_back(pairHash(lists, i));
    }
    return side;
}

// Collects the result as runs of pairs taken from one side, then builds the lists.
class Assembly {
public:
    Assembly(const PairView& ours, Followed follow) : ours_(ours), follow_(follow) {}

    // Pairs [from, to) of `lists`; `hashes` points at the hash of pair `from`.
    void take(const PairView& lists, qsizetype from, qsizetype to, const std::uint64_t* hashes) {
        if (from < to)
            runs_.push_back({&lists, from, to, hashes});
    }
    // Pairs of the middles: a pair both sides added, each at its own place, is taken as often
    // as the side holding it most often holds it.
    void take(const Side& side, qsizetype from, qsizetype to) {
        qsizetype start = from;
        for (qsizetype i = from; i < to; ++i) {
            const std::uint64_t hash = side.hashes[size_t(i)];
            if (!limited_ || taken_[hash]++ < limits_.value(hash))
                continue;
            take(*side.lists, side.start + start, side.start + i, side.hashes.data() + start);
            start = i + 1;
        }
        take(*side.lists, side.start + start, side.start + to, side.hashes.data() + start);
    }
    void limit(const Side& ours, const Side& theirs) {
        QHash<std::uint64_t, int> counts[2];
        for (const std::uint64_t hash : ours.hashes)
            ++counts[0][hash];
        for (const std::uint64_t hash : theirs.hashes)
            ++counts[1][hash];
        limited_ = true;
        limits_ = counts[0];
        for (auto it = counts[1].cbegin(); it != counts[1].cend(); ++it)
            limits_[it.key()] = std::max(limits_.value(it.key()), it.value());
    }

    MergedPair finish() {
        MergedPair result;
        qsizetype bytes[2] = {0, 0};
        qsizetype count = 0;
        for (const Run& run : runs_) {
            count += run.to - run.from;
            bytes[0] += run.lists->first.rangeBytes(run.from, clamp(run, run.lists->first));
            bytes[1] += run.lists->second.rangeBytes(run.from, clamp(run, run.lists->second));
        }
        result.lists.first.reserve(bytes[0], count);
        result.lists.second.reserve(bytes[1], count);
        result.hashes.reserve(size_t(count));
        for (const Run& run : runs_) {
            const bool ours = run.lists == &ours_;
            copy(run, ours, run.lists->first, follow_.first, result.lists.first,
                 result.followed.first);
            copy(run, ours, run.lists->second, follow_.second, result.lists.second,
                 result.followed.second);
            result.hashes.insert(result.hashes.end(), run.hashes, run.hashes + (run.to - run.from));
        }
        return result;
    }

private:
    struct Run {
        const PairView* lists;
        qsizetype from, to;
        const std::uint64_t* hashes;
    };
    // Where the run ends in `list`, which may lack the last entries (an uneven version).
    static qsizetype clamp(const Run& run, const EntryList& list) {
        return std::max(run.from, std::min(run.to, list.size()));
    }
    // Entries a list lacks count as empty ones, so every pair keeps its partner.
    static void copy(const Run& run, bool ours, const EntryList& from, qsizetype follow,
                     EntryList& to, qsizetype& followed) {
        const qsizetype end = clamp(run, from);
        if (ours && follow >= run.from && follow < end)
            followed = to.size() + (follow - run.from);
        to.appendRange(from, run.from, end);
        for (qsizetype i = end; i < run.to; ++i)
            to.append({});
    }

    const PairView& ours_;
    Followed follow_;
    std::vector<Run> runs_;
    bool limited_ = false;
    QHash<std::uint64_t, int> limits_; // how often a pair of the middles may be taken
    QHash<std::uint64_t, int> taken_;
};

bool contains(const PairHashes& sorted, std::uint64_t hash) {
    return std::binary_search(sorted.begin(), sorted.end(), hash);
}

PairHashes sortedCopy(Hashes hashes) {
    PairHashes copy(hashes.begin(), hashes.end());
    std::sort(copy.begin(), copy.end());
    return copy;
}

// Ours [oFrom, oTo) and theirs [tFrom, tTo) united: pairs both hold once, ours first between
// the pairs they share. Past the edit budget: ours, then what only theirs holds.
void unite(Assembly& out, const Side& ours, qsizetype oFrom, qsizetype oTo, const Side& theirs,
           qsizetype tFrom, qsizetype tTo) {
    const Hashes o = ours.range(oFrom, oTo);
    const Hashes t = theirs.range(tFrom, tTo);
    const auto match = matchSequences(o, t, editBudget(qsizetype(o.size()), qsizetype(t.size())));
    // Pairs ours holds elsewhere (the two sides ordered them differently) are taken once.
    const PairHashes held = sortedCopy(o);
    const auto takeTheirs = [&](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i) {
            if (!contains(held, theirs.hashes[size_t(i)]))
                out.take(theirs, i, i + 1);
        }
    };
    if (!match) {
        out.take(ours, oFrom, oTo);
        takeTheirs(tFrom, tTo);
        return;
    }
    qsizetype o0 = 0;
    qsizetype t0 = 0;
    for (qsizetype i = 0; i <= qsizetype(o.size()); ++i) {
        const bool end = i == qsizetype(o.size());
        if (!end && (*match)[size_t(i)] < 0)
            continue;
        const qsizetype tMatch = end ? qsizetype(t.size()) : (*match)[size_t(i)];
        out.take(ours, oFrom + o0, oFrom + i);
        takeTheirs(tFrom + t0, tFrom + tMatch);
        if (!end)
            out.take(ours, oFrom + i, oFrom + i + 1);
        o0 = i + 1;
        t0 = tMatch + 1;
    }
}

bool sameStretch(Hashes a, Hashes b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

// A stretch both sides changed. Where theirs kept the base's pairs as they were and only added
// pairs before or after them (behind a pair whose lone half ours completed, say), those go before
// or after ours; otherwise both stretches are kept, so another writer's rewrite never drops ours.
void resolveBoth(Assembly& out, Hashes base, const Side& ours, qsizetype o0, qsizetype o1,
                 const Side& theirs, qsizetype t0, qsizetype t1) {
    const Hashes stretch = theirs.range(t0, t1);
    const auto kept = std::search(stretch.begin(), stretch.end(), base.begin(), base.end());
    if (base.empty() || kept == stretch.end())
        return unite(out, ours, o0, o1, theirs, t0, t1);
    const qsizetype at = t0 + qsizetype(kept - stretch.begin());
    out.take(theirs, t0, at);
    out.take(ours, o0, o1);
    out.take(theirs, at + qsizetype(base.size()), t1);
}

// Past the edit budget: ours without what theirs deleted, then what only theirs added.
void mergeBySets(Assembly& out, Hashes base, const Side& ours, const Side& theirs) {
    const PairHashes inBase = sortedCopy(base);
    const PairHashes inOurs = sortedCopy(ours.hashes);
    const PairHashes inTheirs = sortedCopy(theirs.hashes);
    for (qsizetype i = 0; i < qsizetype(ours.hashes.size()); ++i) {
        const std::uint64_t hash = ours.hashes[size_t(i)];
        if (!contains(inBase, hash) || contains(inTheirs, hash))
            out.take(ours, i, i + 1);
    }
    for (qsizetype i = 0; i < qsizetype(theirs.hashes.size()); ++i) {
        const std::uint64_t hash = theirs.hashes[size_t(i)];
        if (!contains(inBase, hash) && !contains(inOurs, hash))
            out.take(theirs, i, i + 1);
    }
}

// The stretches between pairs that neither side touched, resolved one by one.
void mergeMiddle(Assembly& out, Hashes base, const Side& ours, const Side& theirs) {
    const auto toOurs = matchSequences(
        base, ours.hashes, editBudget(qsizetype(base.size()), qsizetype(ours.hashes.size())));
    const auto toTheirs =
        toOurs ? matchSequences(base, theirs.hashes,
                                editBudget(qsizetype(base.size()), qsizetype(theirs.hashes.size())))
               : std::nullopt;
    if (!toOurs || !toTheirs)
        return mergeBySets(out, base, ours, theirs);
    qsizetype b0 = 0, o0 = 0, t0 = 0;
    const qsizetype baseSize = qsizetype(base.size());
    for (qsizetype i = 0; i <= baseSize; ++i) {
        const bool end = i == baseSize;
        if (!end && ((*toOurs)[size_t(i)] < 0 || (*toTheirs)[size_t(i)] < 0))
            continue;
        const qsizetype o1 = end ? qsizetype(ours.hashes.size()) : (*toOurs)[size_t(i)];
        const qsizetype t1 = end ? qsizetype(theirs.hashes.size()) : (*toTheirs)[size_t(i)];
        const Hashes b = base.subspan(size_t(b0), size_t(i - b0));
        if (sameStretch(b, ours.range(o0, o1)))
            out.take(theirs, t0, t1);
        else if (sameStretch(b, theirs.range(t0, t1)) ||
                 sameStretch(ours.range(o0, o1), theirs.range(t0, t1)))
            out.take(ours, o0, o1);
        else
            resolveBoth(out, b, ours, o0, o1, theirs, t0, t1);
        if (!end)
            out.take(ours, o1, o1 + 1); // the pair both kept
        b0 = i + 1;
        o0 = o1 + 1;
        t0 = t1 + 1;
    }
}

} // namespace

std::uint64_t pairHash(const PairView& lists, qsizetype index) {
    const auto entry = [index](const EntryList& list) {
        return index < list.size() ? list.at(index) : QByteArrayView();
    };
    return mix(std::uint64_t(qHash(entry(lists.first), size_t(1)))) ^
           std::uint64_t(qHash(entry(lists.second), size_t(2)));
}

PairHashes pairHashes(const PairView& lists) {
    PairHashes hashes(size_t(lists.size()));
    for (qsizetype i = 0; i < lists.size(); ++i)
        hashes[size_t(i)] = pairHash(lists, i);
    return hashes;
}

MergedPair mergeListPairs(const PairHashes& base, const PairView& ours, const PairView& theirs,
                          Followed follow, SideHashes known) {
    const qsizetype nb = qsizetype(base.size());
    const qsizetype no = ours.size();
    const qsizetype nt = theirs.size();
    const auto ourHash = [&](qsizetype i) {
        return known.ours ? (*known.ours)[size_t(i)] : pairHash(ours, i);
    };
    const auto theirHash = [&](qsizetype i) {
        return known.theirs ? (*known.theirs)[size_t(i)] : pairHash(theirs, i);
    };
    // The common head and tail: pairs neither side touched.
    const qsizetype shortest = std::min({nb, no, nt});
    qsizetype head = 0;
    while (head < shortest && ourHash(head) == base[size_t(head)] &&
           theirHash(head) == base[size_t(head)])
        ++head;
    qsizetype tail = 0;
    while (tail < shortest - head && ourHash(no - 1 - tail) == base[size_t(nb - 1 - tail)] &&
           theirHash(nt - 1 - tail) == base[size_t(nb - 1 - tail)])
        ++tail;
    Assembly out(ours, follow);
    out.take(ours, 0, head, base.data());
    const Side ourMiddle = middleOf(ours, head, no - tail, known.ours);
    const Side theirMiddle = middleOf(theirs, head, nt - tail, known.theirs);
    out.limit(ourMiddle, theirMiddle);
    mergeMiddle(out, Hashes(base).subspan(size_t(head), size_t(nb - tail - head)), ourMiddle,
                theirMiddle);
    out.take(ours, no - tail, no, base.data() + (nb - tail));
    return out.finish();
}

PairHashes addedPairs(const PairHashes& before, const PairHashes& after) {
    const size_t shortest = std::min(before.size(), after.size());
    size_t head = 0;
    while (head < shortest && before[head] == after[head])
        ++head;
    size_t tail = 0;
    while (tail < shortest - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const PairHashes held = sortedCopy(Hashes(before).subspan(head, before.size() - tail - head));
    PairHashes added;
    for (size_t i = head; i < after.size() - tail; ++i) {
        if (!contains(held, after[i]))
            added.push_back(after[i]);
    }
    std::sort(added.begin(), added.end());
    added.erase(std::unique(added.begin(), added.end()), added.end());
    return added;
}

MergedPair uniteListPairs(const PairView& ours, const PairView& theirs, Followed follow) {
    const qsizetype no = ours.size();
    const qsizetype nt = theirs.size();
    const Side ourSide = middleOf(ours, 0, no);
    const Side theirSide = middleOf(theirs, 0, nt);
    Assembly out(ours, follow);
    unite(out, ourSide, 0, no, theirSide, 0, nt);
    return out.finish();
}

} // namespace quill
