#include "generators/EntryGenerator.h"

namespace quill {

bool EntryGenerator::run(EntryList& batch, qint64 maxSteps) {
    const qint64 end = maxSteps >= total_ - done_ ? total_ : done_ + maxSteps;
    while (done_ < end) {
        if (!appendStep(batch, done_))
            return false;
        ++done_;
    }
    return true;
}

} // namespace quill
