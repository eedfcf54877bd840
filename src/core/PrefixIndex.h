#pragma once

#include "core/EntryList.h"

#include <QByteArray>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

namespace quill {

// Finds the first entry, in list order, that begins with a typed text ignoring letter case,
// without looking at every entry. The list is cut into runs of consecutive entries; each run
// keeps its entries' positions in case-folded order (16 bits each) and the smallest position of
// every 64 of them. A lookup binary-searches run after run and stops at the first run that holds
// a match, so it costs a few comparisons per run instead of one per entry. Entries not covered
// yet (a run still being sorted, entries appended since) are scanned as before, so every answer
// equals EntryList::findPrefix at any moment.
//
// The index holds no entries; the owner tells it of every change to the list. Sorting a run
// happens apart from the list: nextJob() copies the run's entries, sortRun() may run on any
// thread, install() takes the result back unless the run changed in the meantime.
class PrefixIndex {
public:
    static constexpr qsizetype defaultRunSize = 65536;

    // A run holds at most `runSize` entries (at most 65536, so a position fits in 16 bits).
    explicit PrefixIndex(qsizetype runSize = defaultRunSize);

    // `count` entries were added at the end of the list.
    void appended(qsizetype count);
    // The entry at `index` was removed; the entries behind it moved up by one.
    void removed(qsizetype index);
    // The list was replaced by `count` entries (0 after clearing); none is covered yet.
    void reset(qsizetype count);

    // The same answer as entries.findPrefix(prefix) for the list the index was told about.
    qsizetype findPrefix(const EntryList& entries, QStringView prefix) const;
    // True when every entry is covered, so no lookup scans.
    bool complete() const;

    // Buffers a sort works in, handed from job to job: fresh ones for every run cost a page fault
    // per page, and on a virtual machine that took longer than the sort.
    struct Room {
        QByteArray bytes;
        std::vector<std::uint32_t> ends;
        std::vector<std::uint64_t> keys;
        std::vector<std::uint64_t> spare;
    };
    // The entries of one run, copied, with what install() needs to recognise the run again.
    struct Job {
        qsizetype run = 0;
        std::uint64_t version = 0;
        // The entries (bytes, ends), room for the sort and for its result, allocated with the
        // job so that a worker thread keeps no memory of its own once the job is done.
        Room room;
        std::vector<std::uint16_t> sorted;
    };
    // Positions of a job's entries in case-folded order and the smallest of every block.
    struct Order {
        qsizetype run = 0;
        std::uint64_t version = 0;
        std::vector<std::uint16_t> sorted;
        std::vector<std::uint16_t> blockMinimum;
        Room room; // the job's buffers, for the next job
    };

    // The first run that is not fully covered, copied out of `entries` into `room` (the last
    // job's); nothing when complete.
    std::optional<Job> nextJob(const EntryList& entries, Room room = {}) const;
    // Sorts a job's entries; touches nothing but the job.
    static Order sortRun(Job job);
    // Covers the run with the order, unless the run changed since its job was made.
    void install(Order order);

private:
    struct Run {
        qsizetype count = 0;
        // New for every run and after every removal, so a job's result finds out whether the
        // run it sorted is still the same.
        std::uint64_t version = 0;
        // Positions (within the run) of the first sorted.size() entries, in case-folded order.
        std::vector<std::uint16_t> sorted;
        std::vector<std::uint16_t> blockMinimum;
    };

    qsizetype runSize_;
    qsizetype size_ = 0; // entries the index was told about
    std::vector<Run> runs_;
    std::uint64_t nextVersion_ = 0;
};

} // namespace quill
