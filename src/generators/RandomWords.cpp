#include "generators/RandomWords.h"

#include "core/EntryList.h"
#include "generators/RandomSource.h"

#include <cstring>
#include <utility>

namespace quill {

RandomWords::RandomWords(RandomSource& source, WordRecipe recipe, qint64 words)
    : EntryGenerator(words), source_(source), recipe_(std::move(recipe)) {
    word_.reserve(size_t(recipe_.firstText.size() + (recipe_.separator.size() + 1) * 33));
}

bool RandomWords::appendStep(EntryList& batch, qint64) {
    source_.reseed();
    word_.assign(recipe_.firstText.constData(), size_t(recipe_.firstText.size()));
    const std::string_view separator(recipe_.separator.constData(),
                                     size_t(recipe_.separator.size()));
    for (int i = 0; i < recipe_.draws; ++i) {
        const quint32 d = source_.drawBelow(recipe_.bound);
        if (recipe_.usedDraws & (1u << i)) {
            word_ += separator;
            word_ += char(quint8(d + 97u));
        }
    }
    word_ += separator;
    const size_t cut = std::strlen(word_.c_str());
    return batch.append(QByteArrayView(word_.data(), qsizetype(cut)));
}

} // namespace quill
