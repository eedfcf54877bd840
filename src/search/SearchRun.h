#pragma once

#include "core/EntryList.h"
#include "search/SearchPattern.h"

#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace quill {

enum class SearchScope { BothFields, Field1, Field2 };

// One search over snapshots of the two lists: pairs are cut into chunks that worker threads
// take in order, so the first pairs are settled first and a list can show them while the rest
// is searched. The matches are one bit per pair (so even ten million matches take little
// memory), with counts per chunk and per block of 512 pairs to find the n-th match quickly.
//
// Workers run scanChunks(); everything else may be called from any thread. What the readers
// below report about pairs [0, settled()) is final; nothing is reported about later pairs.
class SearchRun {
public:
    static constexpr qsizetype ChunkPairs = 65536;

    // `progressed` is called on a worker thread, maybe on two at once, after each chunk that
    // is settled and when the run finishes.
    SearchRun(EntryList words, EntryList meanings, SearchPattern pattern, SearchScope scope,
              std::function<void()> progressed);

    const EntryList& words() const { return words_; }
    const EntryList& meanings() const { return meanings_; }
    // Pairs searched: as many as the longer list has entries.
    qsizetype pairCount() const { return pairs_; }

    // Asks the workers to stop at their next chunk; settled pairs stay settled.
    void cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    // True when every pair is searched (never after a cancel that came first).
    bool finished() const;
    // Blocks until no worker is in the run any more.
    void wait() const;

    // Pairs [0, settled()) are searched.
    qsizetype settled() const;
    // Matches among the settled pairs.
    qsizetype settledCount() const;
    // Matches found so far, settled or not.
    qsizetype foundSoFar() const { return found_.load(std::memory_order_relaxed); }
    // The pair of the n-th settled match (0 <= row < settledCount()).
    qsizetype pairAt(qsizetype row) const;
    // The first match after pair `after` (-1 for the first of all); -1 when there is none
    // among the settled pairs.
    qsizetype nextMatch(qsizetype after) const;
    // The last match before pair `before`, looking only below settled(); -1 when none.
    qsizetype previousMatch(qsizetype before) const;

    // The worker's loop: takes chunks until none is left or the run is cancelled.
    void scanChunks();
    // How many workers will call scanChunks(); the last one to leave finishes the run.
    void expectWorkers(int count);

private:
    // False when the run was cancelled before the chunk was searched through.
    bool scanChunk(qsizetype chunk);
    void settleChunk(qsizetype chunk);

    const EntryList words_;
    const EntryList meanings_;
    const SearchPattern pattern_;
    const SearchScope scope_;
    const std::function<void()> progressed_;
    const qsizetype pairs_;
    const qsizetype chunks_;

    std::vector<std::uint64_t> bits_;
    // Matches before each block of 512 pairs, counted from the start of its chunk.
    std::vector<std::uint32_t> blockRank_;
    std::vector<std::uint32_t> chunkCount_;
    // Matches before each settled chunk (one more entry than settled chunks).
    std::vector<qsizetype> settledBefore_;
    std::vector<char> chunkDone_;

    std::atomic<qsizetype> nextChunk_{0};
    std::atomic<qsizetype> settledChunks_{0};
    std::atomic<qsizetype> found_{0};
    std::atomic<bool> cancelled_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable idle_;
    int workers_ = 0;
    bool finished_ = false;
};

} // namespace quill
