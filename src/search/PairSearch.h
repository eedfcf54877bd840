#pragma once

#include "core/EntryList.h"
#include "search/FoldingTable.h"
#include "search/SearchRun.h"

#include <QStringView>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <vector>

namespace quill {

// Searches the two lists on worker threads (as many as the machine has cores). A search works on
// copies of the lists, which share their entries with the originals, so the fields may change
// meanwhile; its results are pair indices into those copies.
class PairSearch {
public:
    // 0 threads: one per core.
    explicit PairSearch(int threads = 0);
    // Cancels what still runs and waits for the workers.
    ~PairSearch();
    PairSearch(const PairSearch&) = delete;
    PairSearch& operator=(const PairSearch&) = delete;

    // Starts looking for the text anywhere in the entries of the scope, letter case and accents
    // ignored. `progressed` as for SearchRun. The run goes on until it is done or cancelled.
    std::shared_ptr<SearchRun> start(EntryList words, EntryList meanings, QStringView text,
                                     SearchScope scope, std::function<void()> progressed = {});
    // Blocks until no search runs any more.
    void waitForIdle();

    // Entries of `words` that are `word` with letter case ignored (full case folding, canonical
    // equivalents equal) and blanks at both ends trimmed from both; accents count.
    struct Collected {
        std::vector<qsizetype> first; // the first `wanted` of them, in list order
        qsizetype count = 0;
    };
    Collected collected(const EntryList& words, QStringView word, qsizetype wanted);

    const FoldingTable& looseFolding() const { return loose_; }

private:
    std::shared_ptr<SearchRun> launch(std::shared_ptr<SearchRun> run);

    FoldingTable loose_{FoldingTable::Marks::Dropped};
    FoldingTable caseless_{FoldingTable::Marks::Kept};
    QThreadPool pool_;
    std::vector<std::weak_ptr<SearchRun>> runs_;
};

} // namespace quill
