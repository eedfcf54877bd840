#include "rtf/NotesDocument.h"

#include "rtf/NotesFootprint.h"
#include "rtf/PlainText.h"
#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace quill {

namespace {

constexpr QByteArrayView utf8Bom("\xEF\xBB\xBF");

QByteArrayView withoutBom(QByteArrayView bytes) {
    return bytes.startsWith(utf8Bom) ? bytes.sliced(utf8Bom.size()) : bytes;
}

// Longer runs without a blank are broken anywhere; at word boundaries first, every line of such
// a run scans the rest of it before it gives up, which takes minutes for a megabyte.
constexpr qsizetype LongestWord = 1000;
// Plain text is decoded and goes in in pieces of this many bytes.
constexpr qsizetype PlainPiece = 64 * 1024;
// The paragraphs looked at between two watches once the text is in.
constexpr int ParagraphsPerWatch = 1024;

// Counts the characters since the last blank, across the pieces of a text.
class WordRun {
public:
    void take(QStringView text) {
        for (const QChar c : text) {
            run_ = c.isSpace() ? 0 : run_ + 1;
            long_ = long_ || run_ > LongestWord;
        }
    }
    void restart() { run_ = 0; }
    bool foundLong() const { return long_; }

private:
    qsizetype run_ = 0;
    bool long_ = false;
};

bool insertPlainText(QByteArrayView bytes, QTextCursor& end, WordRun& words,
                     const LoadWatch& watch) {
    PlainText plain(bytes);
    while (!plain.atEnd()) {
        const QString piece = plain.next(PlainPiece);
        words.take(piece);
        end.insertText(piece);
        if (watch && !watch(plain.decoded()))
            return false;
    }
    return true;
}

bool prepareLayout(QTextDocument& document, WordRun& words, bool wordsTaken, QByteArrayView bytes,
                   const LoadWatch& watch) {
    int count = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (!wordsTaken && !words.foundLong() && block.length() > LongestWord) {
            words.restart();
            words.take(block.text());
        }
        // Without its kept layout, a paragraph is shaped whole again at every paint.
        if (block.length() > NotesFootprint::LongParagraph)
            block.layout()->setCacheEnabled(true);
        if (watch && ++count % ParagraphsPerWatch == 0 && !watch(bytes.size()))
            return false;
    }
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(words.foundLong() ? QTextOption::WrapAnywhere
                                         : QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    return true;
}

} // namespace

bool isRichText(QByteArrayView bytes) {
    return withoutBom(bytes).startsWith(QByteArrayView("{\\rtf"));
}

bool loadNotes(QByteArrayView bytes, QTextDocument& document, const LoadWatch& watch) {
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    // Clearing and filling make one change, from an empty document to the new content: a pane
    // showing the document then lays it out bit by bit as it does a new document, instead of
    // all of it at once before the load returns.
    QTextCursor change(&document);
    change.beginEditBlock();
    document.clear(); // the pictures too
    const bool rich = isRichText(bytes);
    WordRun words;
    bool complete = true;
    if (rich) {
        const QByteArrayView rtf = withoutBom(bytes);
        const qsizetype bom = bytes.size() - rtf.size();
        RtfReader::ReadWatch rtfWatch;
        if (watch) {
            rtfWatch = [&](qsizetype done) {
                return complete = watch(bom + done);
            };
        }
        RtfReader(document).read(rtf, rtfWatch);
    } else {
        complete = insertPlainText(bytes, change, words, watch);
    }
    change.endEditBlock();
    document.setUndoRedoEnabled(undo);
    return complete && prepareLayout(document, words, !rich, bytes, watch);
}

void loadNotes(QByteArrayView bytes, QTextDocument& document) {
    loadNotes(bytes, document, {});
}

QByteArray saveNotes(const QTextDocument& document) {
    return RtfWriter(document).write();
}

} // namespace quill
