#pragma once

#include <QByteArrayView>
#include <QtGlobal>

namespace quill {

// What a notes file will become in the notes pane, counted on its bytes as they are read, before
// any document exists: the memory the load and the shown document take, estimated, and for plain
// text the paragraphs and the length of the longest, exactly, so that a file the pane cannot
// hold is refused before it is read to its end.
class NotesFootprint {
public:
    // Counts the bytes read so far; only the part after what was counted before is new.
    void count(QByteArrayView soFar);
    // Counts the bytes held back at the end of the last count (the file is complete).
    void finish(QByteArrayView all);

    // Paragraphs and the characters of the longest: exact for plain text; for rich text every
    // paragraph mark and every byte count.
    qint64 paragraphs() const { return paragraphs_; }
    qint64 longestParagraph() const;
    // Estimated peak memory: the file's bytes, the decoded text and the document's copy of it,
    // every paragraph's blocks and layout, and the kept layout of long paragraphs.
    qint64 memoryBytes() const;
    // False once plain text has more paragraphs, or a longer one, than NotesCapacity allows.
    // Rich text is judged on its document.
    bool fitsPane() const;

    // Paragraphs longer than this keep their layout once laid out (see loadNotes()).
    static constexpr qint64 LongParagraph = 8 * 1024;

private:
    void start(QByteArrayView bytes);
    void countUpTo(QByteArrayView bytes, qsizetype end);
    void countRichText(QByteArrayView bytes, qsizetype end);
    void countPlainText(QByteArrayView bytes, qsizetype end);
    void endParagraph();

    enum class Kind { RichText, Bytes, Utf16LittleEndian, Utf16BigEndian };

    qsizetype counted_ = 0;
    bool started_ = false;
    Kind kind_ = Kind::Bytes;
    qint64 paragraphs_ = 1;
    // Characters of the paragraph being read: for plain text every character but NUL (UTF-8
    // continuation bytes are no characters of their own, so this never counts more than the
    // decoded text has); for rich text every byte.
    qint64 paragraphLength_ = 0;
    qint64 longestParagraph_ = 0;
    qint64 longBytes_ = 0; // in paragraphs longer than LongParagraph
};

} // namespace quill
