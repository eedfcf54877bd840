#pragma once

#include "generators/EntryGenerator.h"
#include "generators/WordRecipe.h"

#include <string>

namespace quill {

class RandomSource;

// Random words, one entry per step. Every word reseeds first, so its characters come from the
// clock value read just before it. A character is the draw plus the code of "a", modulo 256;
// a word that holds a code-0 byte ends just before it, as a zero-terminated text would.
class RandomWords : public EntryGenerator {
public:
    RandomWords(RandomSource& source, WordRecipe recipe, qint64 words);

protected:
    bool appendStep(EntryList& batch, qint64 index) override;

private:
    RandomSource& source_;
    WordRecipe recipe_;
    std::string word_;
};

} // namespace quill
