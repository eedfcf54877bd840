#include "search/PairSearch.h"

#include <QThread>

#include <algorithm>

namespace quill {

PairSearch::PairSearch(int threads) {
    pool_.setMaxThreadCount(threads > 0 ? threads : std::max(1, QThread::idealThreadCount()));
}

PairSearch::~PairSearch() {
    for (const std::weak_ptr<SearchRun>& known : runs_) {
        if (const std::shared_ptr<SearchRun> run = known.lock())
            run->cancel();
    }
    pool_.waitForDone();
}

std::shared_ptr<SearchRun> PairSearch::launch(std::shared_ptr<SearchRun> run) {
    std::erase_if(runs_, [](const std::weak_ptr<SearchRun>& known) { return known.expired(); });
    runs_.push_back(run);
    const int workers = pool_.maxThreadCount();
    run->expectWorkers(workers);
    for (int i = 0; i < workers; ++i)
        pool_.start([run] { run->scanChunks(); });
    return run;
}

std::shared_ptr<SearchRun> PairSearch::start(EntryList words, EntryList meanings, QStringView text,
                                             SearchScope scope, std::function<void()> progressed) {
    return launch(std::make_shared<SearchRun>(
        std::move(words), std::move(meanings),
        SearchPattern(text, loose_, SearchPattern::Mode::Contains), scope, std::move(progressed)));
}

void PairSearch::waitForIdle() {
    pool_.waitForDone();
}

PairSearch::Collected PairSearch::collected(const EntryList& words, QStringView word,
                                            qsizetype wanted) {
    const std::shared_ptr<SearchRun> run = launch(std::make_shared<SearchRun>(
        words, EntryList(), SearchPattern(word, caseless_, SearchPattern::Mode::Equals),
        SearchScope::Field1, std::function<void()>()));
    run->wait();
    Collected result;
    result.count = run->settledCount();
    for (qsizetype row = 0; row < std::min(wanted, result.count); ++row)
        result.first.push_back(run->pairAt(row));
    return result;
}

} // namespace quill
