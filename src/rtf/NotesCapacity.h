#pragma once

#include <QtGlobal>

class QTextDocument;

namespace quill {

// What the notes pane holds, judged on the document a file becomes. A key typed into the pane
// lays its paragraph out again and moves every paragraph after it, line by line: in the pane's
// layout a paragraph of one line costs about as much to move as three further lines. Paragraphs,
// lines and the longest paragraph are therefore limited to what a key handles within 50 ms. The
// pane's layout cannot place a line lower than 2^23 pixels (it loops there for ever), so a
// document also stays below that height, with room for a narrower pane or another font than the
// ones it was measured with.
struct NotesCapacity {
    // As many paragraphs of one line; each line beyond the first costs a quarter of one.
    static constexpr qint64 MostParagraphs = 48'000;
    static constexpr qint64 LongestParagraph = 32 * 1024; // characters
    static constexpr qreal TallestDocument = 7'500'000;   // pixels

    // True when the document has no more paragraphs, and none longer, than the pane holds.
    static bool holdsParagraphs(const QTextDocument& document);
    // True when that many paragraphs with that many lines, laid out, cost no more to move than
    // MostParagraphs paragraphs of one line.
    static bool holdsLines(qint64 paragraphs, qint64 lines);
};

} // namespace quill
