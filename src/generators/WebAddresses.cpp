#include "generators/WebAddresses.h"

#include "core/EntryList.h"
#include "generators/RandomSource.h"

#include <array>
#include <string_view>

namespace quill {

namespace {

constexpr std::string_view prefix = "http://www.";
constexpr std::array<std::string_view, 8> fixedSuffixes = {".com", ".edu", ".net", ".fr",
                                                           ".ch",  ".nl",  ".hu",  ".gb"};

} // namespace

WebAddresses::WebAddresses(RandomSource& source, qint64 groups)
    : EntryGenerator(groups), source_(source) {
    entry_.reserve(32);
}

bool WebAddresses::appendStep(EntryList& batch, qint64) {
    source_.reseed();
    std::array<char, 4> word{};
    for (char& letter : word)
        letter = char(quint8(source_.drawBelow(26) + 97u));

    entry_.assign(prefix);
    entry_.append(word.data(), word.size());
    const size_t stem = entry_.size();
    const auto appendWith = [&](std::string_view suffix) {
        entry_.resize(stem);
        entry_ += suffix;
        return batch.append(QByteArrayView(entry_.data(), qsizetype(entry_.size())));
    };
    for (const std::string_view suffix : fixedSuffixes) {
        if (!appendWith(suffix))
            return false;
    }
    const char ownThree[] = {'.', word[0], word[1], word[2]};
    if (!appendWith(std::string_view(ownThree, 4)))
        return false;
    return appendWith(std::string_view(ownThree, 3));
}

} // namespace quill
