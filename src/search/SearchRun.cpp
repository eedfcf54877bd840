#include "search/SearchRun.h"

#include <algorithm>
#include <bit>

namespace quill {
namespace {

constexpr qsizetype BlockPairs = 512;
constexpr qsizetype WordsPerBlock = BlockPairs / 64;
constexpr qsizetype BlocksPerChunk = SearchRun::ChunkPairs / BlockPairs;

// Position of the n-th (from 0) set bit of the word.
int nthBit(std::uint64_t word, qsizetype n) {
    for (; n > 0; --n)
        word &= word - 1;
    return std::countr_zero(word);
}

} // namespace

SearchRun::SearchRun(EntryList words, EntryList meanings, SearchPattern pattern, SearchScope scope,
                     std::function<void()> progressed)
    : words_(std::move(words)), meanings_(std::move(meanings)), pattern_(std::move(pattern)),
      scope_(scope), progressed_(std::move(progressed)),
      pairs_(std::max(words_.size(), meanings_.size())),
      chunks_((pairs_ + ChunkPairs - 1) / ChunkPairs), bits_(std::size_t((pairs_ + 63) / 64)),
      blockRank_(std::size_t(chunks_ * BlocksPerChunk)), chunkCount_(std::size_t(chunks_)),
      settledBefore_(std::size_t(chunks_ + 1)), chunkDone_(std::size_t(chunks_)) {}

void SearchRun::expectWorkers(int count) {
    std::lock_guard lock(mutex_);
    workers_ += count;
}

bool SearchRun::finished() const {
    std::lock_guard lock(mutex_);
    return finished_;
}

void SearchRun::wait() const {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return workers_ == 0; });
}

void SearchRun::scanChunks() {
    for (;;) {
        if (cancelled())
            break;
        const qsizetype chunk = nextChunk_.fetch_add(1, std::memory_order_relaxed);
        if (chunk >= chunks_)
            break;
        if (!scanChunk(chunk))
            break;
        settleChunk(chunk);
        if (progressed_)
            progressed_();
    }
    bool last = false;
    {
        std::lock_guard lock(mutex_);
        last = --workers_ == 0;
        if (last && !cancelled() && settledChunks_.load(std::memory_order_relaxed) == chunks_)
            finished_ = true;
    }
    if (last) {
        idle_.notify_all();
        if (progressed_ && !cancelled())
            progressed_();
    }
}

bool SearchRun::scanChunk(qsizetype chunk) {
    const qsizetype from = chunk * ChunkPairs;
    const qsizetype to = std::min(pairs_, from + ChunkPairs);
    // False when cancelled before the end.
    const auto scanList = [&](const EntryList& list) {
        const qsizetype end = std::min(to, list.size());
        for (qsizetype i = from; i < end;) {
            if (cancelled())
                return false;
            const EntryList::Stretch stretch = list.stretchAt(i, end);
            pattern_.scan(stretch, bits_.data(), 0);
            i += stretch.count;
        }
        return true;
    };
    if (pattern_.matchesEverything()) {
        // A missing entry reads as empty, which an empty text is found in too.
        for (qsizetype pair = from; pair < to; ++pair)
            bits_[std::size_t(pair >> 6)] |= std::uint64_t(1) << (pair & 63);
    } else if ((scope_ != SearchScope::Field2 && !scanList(words_)) ||
               (scope_ != SearchScope::Field1 && !scanList(meanings_))) {
        return false;
    }
    std::uint32_t count = 0;
    const qsizetype firstWord = from / 64;
    const qsizetype lastWord = (to + 63) / 64;
    for (qsizetype word = firstWord; word < lastWord; ++word) {
        if ((word - firstWord) % WordsPerBlock == 0)
            blockRank_[std::size_t(chunk * BlocksPerChunk + (word - firstWord) / WordsPerBlock)] =
                count;
        count += std::uint32_t(std::popcount(bits_[std::size_t(word)]));
    }
    chunkCount_[std::size_t(chunk)] = count;
    return true;
}

void SearchRun::settleChunk(qsizetype chunk) {
    std::lock_guard lock(mutex_);
    chunkDone_[std::size_t(chunk)] = 1;
    found_.fetch_add(chunkCount_[std::size_t(chunk)], std::memory_order_relaxed);
    qsizetype settled = settledChunks_.load(std::memory_order_relaxed);
    while (settled < chunks_ && chunkDone_[std::size_t(settled)]) {
        settledBefore_[std::size_t(settled + 1)] =
            settledBefore_[std::size_t(settled)] + chunkCount_[std::size_t(settled)];
        ++settled;
    }
    // Released: a reader that sees the new count sees the bits and counts of those chunks.
    settledChunks_.store(settled, std::memory_order_release);
}

qsizetype SearchRun::settled() const {
    return std::min(pairs_, settledChunks_.load(std::memory_order_acquire) * ChunkPairs);
}

qsizetype SearchRun::settledCount() const {
    return settledBefore_[std::size_t(settledChunks_.load(std::memory_order_acquire))];
}

qsizetype SearchRun::pairAt(qsizetype row) const {
    const qsizetype chunks = settledChunks_.load(std::memory_order_acquire);
    if (row < 0 || row >= settledBefore_[std::size_t(chunks)])
        return -1;
    // The chunk, then the block of 512 pairs, then the word that holds the match.
    const auto chunkEnd = settledBefore_.begin() + chunks + 1;
    const qsizetype chunk =
        std::upper_bound(settledBefore_.begin(), chunkEnd, row) - settledBefore_.begin() - 1;
    qsizetype rest = row - settledBefore_[std::size_t(chunk)];
    const auto blocks = blockRank_.begin() + chunk * BlocksPerChunk;
    const qsizetype blockCount =
        (std::min(pairs_, (chunk + 1) * ChunkPairs) - chunk * ChunkPairs + BlockPairs - 1) /
        BlockPairs;
    const qsizetype block =
        std::upper_bound(blocks, blocks + blockCount, std::uint32_t(rest)) - blocks - 1;
    rest -= blocks[block];
    for (qsizetype word = (chunk * ChunkPairs + block * BlockPairs) / 64;; ++word) {
        const qsizetype ones = std::popcount(bits_[std::size_t(word)]);
        if (rest < ones)
            return word * 64 + nthBit(bits_[std::size_t(word)], rest);
        rest -= ones;
    }
}

qsizetype SearchRun::nextMatch(qsizetype after) const {
    const qsizetype end = settled();
    qsizetype pair = std::max<qsizetype>(after + 1, 0);
    while (pair < end) {
        const std::uint64_t word = bits_[std::size_t(pair >> 6)] >> (pair & 63);
        if (word != 0) {
            const qsizetype found = pair + std::countr_zero(word);
            return found < end ? found : -1;
        }
        pair = (pair | 63) + 1;
    }
    return -1;
}

qsizetype SearchRun::previousMatch(qsizetype before) const {
    qsizetype pair = std::min(before, settled()) - 1;
    while (pair >= 0) {
        const std::uint64_t word = bits_[std::size_t(pair >> 6)] << (63 - (pair & 63));
        if (word != 0)
            return pair - std::countl_zero(word);
        pair = (pair & ~qsizetype(63)) - 1;
    }
    return -1;
}

} // namespace quill
