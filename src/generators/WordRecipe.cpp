#include "generators/WordRecipe.h"

#include <utility>

namespace quill {

namespace {

quint32 firstDraws(int count) {
    return count >= 32 ? 0xFFFFFFFFu : (1u << count) - 1u;
}

} // namespace

WordRecipe WordRecipe::plainLetters(int letters) {
    WordRecipe recipe;
    recipe.draws = letters;
    recipe.usedDraws = firstDraws(letters);
    return recipe;
}

WordRecipe WordRecipe::firstTextAndLetters(QByteArray firstText, int draws, quint32 usedDraws) {
    WordRecipe recipe;
    recipe.firstText = std::move(firstText);
    recipe.draws = draws;
    recipe.usedDraws = usedDraws & firstDraws(draws);
    return recipe;
}

WordRecipe WordRecipe::variation(QByteArray firstText, qint32 multiplier, QByteArray insertText) {
    WordRecipe recipe;
    recipe.firstText = std::move(firstText);
    recipe.separator = std::move(insertText);
    recipe.bound = multiplier;
    recipe.draws = 3;
    recipe.usedDraws = firstDraws(3);
    return recipe;
}

} // namespace quill
