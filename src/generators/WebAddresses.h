#pragma once

#include "generators/EntryGenerator.h"

#include <string>

namespace quill {

class RandomSource;

// Random web addresses: each step reseeds, draws one four-letter word and appends it ten times
// under "http://www.", with eight fixed suffixes and two made of the word's first letters.
class WebAddresses : public EntryGenerator {
public:
    WebAddresses(RandomSource& source, qint64 groups);

    static constexpr int entriesPerGroup = 10;

protected:
    bool appendStep(EntryList& batch, qint64 index) override;

private:
    RandomSource& source_;
    std::string entry_;
};

} // namespace quill
