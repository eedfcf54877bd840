#pragma once

#include <QtGlobal>

namespace quill {

class EntryList;

// A generator command's output, produced step by step (a step is one word, one group of web
// addresses, one number) so the caller can append it in chunks, show progress and stop early.
class EntryGenerator {
public:
    explicit EntryGenerator(qint64 steps) : total_(steps < 0 ? 0 : steps) {}
    virtual ~EntryGenerator() = default;

    qint64 totalSteps() const { return total_; }
    qint64 doneSteps() const { return done_; }
    bool finished() const { return done_ >= total_; }

    // Runs up to `maxSteps` further steps, appending their entries to `batch`. Returns false as
    // soon as the batch refuses an entry; everything appended before that stays, and the
    // refused step does not count as done.
    bool run(EntryList& batch, qint64 maxSteps);

    // The random generators make N + 1 entries (or groups) for a count N >= 0, none below.
    static qint64 stepsFromCount(qint32 count) { return count < 0 ? 0 : qint64(count) + 1; }

protected:
    // Appends the entries of step `index` (from 0); false when the batch refused one.
    virtual bool appendStep(EntryList& batch, qint64 index) = 0;

private:
    qint64 total_;
    qint64 done_ = 0;
};

} // namespace quill
