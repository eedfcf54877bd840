#pragma once

#include <QByteArrayView>
#include <QtGlobal>

namespace quill {

// What a notes file will become in the notes pane, counted on its bytes as they are read, before
// any document exists: an upper bound of its characters and paragraphs, the memory the load and
// the shown document take, and whether the pane can lay it out at all.
class NotesFootprint {
public:
    // Counts the bytes read so far; only the part after what was counted before is new.
    void count(QByteArrayView soFar);
    // Counts the bytes held back at the end of the last count (the file is complete).
    void finish(QByteArrayView all);

    qint64 paragraphs() const { return paragraphs_; }
    // Estimated peak memory: the file's bytes, the decoded text and the document's copy of it,
    // every paragraph's blocks and layout, and the kept layout of long paragraphs.
    qint64 memoryBytes() const;
    // False once the document would be taller than the pane's layout can measure, or has a
    // paragraph longer than a paragraph's layout can hold.
    bool displayable() const;

    // Paragraphs longer than this keep their layout once laid out (see loadNotes()).
    static constexpr qint64 LongParagraph = 64 * 1024;

private:
    void countUpTo(QByteArrayView bytes, qsizetype end);
    void endParagraph();

    qsizetype counted_ = 0;
    bool started_ = false;
    bool rich_ = false;
    qint64 paragraphs_ = 1;
    qint64 paragraphBytes_ = 0; // of the paragraph being read
    qint64 longestParagraph_ = 0;
    qint64 longBytes_ = 0; // in paragraphs longer than LongParagraph
};

} // namespace quill
