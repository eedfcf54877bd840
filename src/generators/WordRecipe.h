#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace quill {

// How one random word is built: the first text, then for each used draw the separator and the
// draw's character, then the separator once more. Plain words have no first text and no
// separator; variations use the insert text as the separator.
struct WordRecipe {
    QByteArray firstText;
    QByteArray separator;
    qint32 bound = 26;
    int draws = 4;
    // Bit i set: draw i + 1 gives a character. Unset draws are made and dropped.
    quint32 usedDraws = 0xF;

    static constexpr int maxDraws = 32;

    // `letters` letters from as many draws below 26.
    static WordRecipe plainLetters(int letters);
    // The first text, then the letters of the used draws (1-based numbers) out of `draws`.
    static WordRecipe firstTextAndLetters(QByteArray firstText, int draws, quint32 usedDraws);
    // The first text, then three characters below the multiplier, the insert text before each
    // of them and after the last.
    static WordRecipe variation(QByteArray firstText, qint32 multiplier, QByteArray insertText);
};

} // namespace quill
