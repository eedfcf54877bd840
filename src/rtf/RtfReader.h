#pragma once

#include "rtf/RtfContent.h"
#include "rtf/RtfKeyword.h"
#include "rtf/RtfPicture.h"
#include "rtf/RtfStyle.h"
#include "rtf/RtfTables.h"
#include "rtf/RtfTokenizer.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class QTextDocument;

namespace quill {

// Reads rich text into a document the way word processors do: leniently. Truncated files,
// unbalanced braces and unknown control words give what can be read. RtfTokenizer cuts the
// bytes; this class keeps the group and destination state and decodes the text;
// applyCharacterKeyword and applyParagraphKeyword say what a control word does to the formats,
// and RtfContent puts the text in place. Groups are kept on an
// explicit stack of bounded depth, \bin lengths are clamped to the bytes left, and the memory
// used grows with the input, never with the numbers written in it.
class RtfReader {
public:
    // Sees how many of the bytes were read, every few thousand tokens; false ends the reading
    // there, with the document holding what was read.
    using ReadWatch = std::function<bool(qsizetype done)>;

    // The content goes to the end of the document; the caller clears it first.
    explicit RtfReader(QTextDocument& document);
    void read(QByteArrayView bytes, const ReadWatch& watch = {});

    // Groups nested deeper than this are read as ignorable destinations.
    static constexpr std::size_t maxDepth = 100000;

private:
    enum class Destination : std::uint8_t {
        Text,
        Skip,
        SkipUntilUnicode, // the first half of \upr: skipped, but its \ud part is read
        FontTable,
        ColorTable,
        FieldInstruction,
        Picture,
    };
    struct GroupState {
        CharStyle chars;
        ParagraphStyle paragraph;
        int unicodeSkip = 1;
        Destination destination = Destination::Text;
    };

    bool take(const RtfToken& token); // false once the document's group is closed
    bool skipping() const;
    void openGroup();
    void closeGroup();
    void controlSymbol(char symbol);
    void hexByte(int value);
    void controlWord(std::string_view word, bool hasParameter, int parameter);
    void text(QByteArrayView bytes);
    void binary(QByteArrayView bytes);
    void keyword(RtfKeyword keyword, bool hasParameter, int parameter);
    bool tableKeyword(RtfKeyword keyword, bool hasParameter, int parameter);
    void contentKeyword(RtfKeyword keyword, int parameter);
    bool consumeSkippedCharacter();

    void addBytes(QByteArrayView bytes);
    void flushBytes();
    void addUnicode(int value);
    void addText(QStringView text);
    void addCharacter(char16_t character) { addText(QStringView(&character, 1)); }
    void endParagraph();
    void endRow();
    void finishPicture();
    void startFieldResult();
    void flushPendingSurrogate();

    QTextDocument& document_;
    RtfTables tables_;
    RtfContent content_;

    GroupState state_;
    std::vector<GroupState> stack_;
    std::size_t overflowDepth_ = 0; // groups beyond maxDepth, only counted
    bool started_ = false;
    bool justOpened_ = false;     // the last token was "{"
    bool starred_ = false;        // "{\*" read, the destination word follows
    bool ignoreNextWord_ = false; // "\*" in the middle of a group
    int skipCount_ = 0;           // fallback characters still to skip after \uN

    QString decoded_;         // single-byte text being decoded
    QByteArray pendingBytes_; // multi-byte text waiting for its trail bytes
    const CodePage* pendingPage_ = nullptr;
    char16_t pendingHighSurrogate_ = 0;

    QString fieldInstruction_;
    RtfPicture picture_;
    int pictureCount_ = 0;
    struct ShownPicture {
        QString name;
        QSize pixels;
    };
    QHash<QByteArray, ShownPicture> shownPictures_; // by the picture's bytes
};

} // namespace quill
