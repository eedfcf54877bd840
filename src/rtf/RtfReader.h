#pragma once

#include "rtf/DocumentBuilder.h"
#include "rtf/RtfKeyword.h"
#include "rtf/RtfPicture.h"
#include "rtf/RtfStyle.h"
#include "rtf/RtfTables.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <vector>

class QTextDocument;

namespace quill {

// Reads rich text into a document the way word processors do: leniently. Truncated files,
// unbalanced braces and unknown control words give what can be read. Groups are kept on an
// explicit stack of bounded depth, \bin lengths are clamped to the bytes left, and the memory
// used grows with the input, never with the numbers written in it.
class RtfReader {
public:
    // The content goes to the end of the document; the caller clears it first.
    explicit RtfReader(QTextDocument& document);
    void read(QByteArrayView bytes);

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
    enum class Separator : std::uint8_t { None, Line, Cell };

    bool skipping() const;
    void openGroup();
    void closeGroup();
    void readControl();
    void readControlWord();
    void readText();
    void controlWord(std::string_view word, bool hasParameter, int parameter);
    void keyword(RtfKeyword keyword, bool hasParameter, int parameter);
    void binary(bool hasParameter, int parameter);
    bool consumeSkippedCharacter();

    void addBytes(QByteArrayView bytes);
    void flushBytes();
    void addUnicode(int value);
    void addText(QStringView text);
    void addCharacter(char16_t character) { addText(QStringView(&character, 1)); }
    void appendShownText(QStringView text);
    void addHiddenText(QStringView text);
    void flushHiddenText();
    void endParagraph();
    void endRow();
    void finishPicture();
    void startFieldResult();
    void flushPendingSurrogate();

    QTextDocument& document_;
    DocumentBuilder builder_;
    QByteArrayView data_;
    qsizetype pos_ = 0;

    GroupState state_;
    std::vector<GroupState> stack_;
    std::size_t overflowDepth_ = 0; // groups beyond maxDepth, only counted
    bool started_ = false;
    bool justOpened_ = false;     // the last token was "{"
    bool starred_ = false;        // "{\*" read, the destination word follows
    bool ignoreNextWord_ = false; // "\*" in the middle of a group
    int skipCount_ = 0;           // fallback characters still to skip after \uN

    RtfTables tables_;

    QString decoded_;         // single-byte text being decoded
    QByteArray pendingBytes_; // multi-byte text waiting for its trail bytes
    const CodePage* pendingPage_ = nullptr;
    char16_t pendingHighSurrogate_ = 0;
    Separator pendingSeparator_ = Separator::None;
    int pendingCells_ = 0;

    QString hiddenText_; // a hidden run not yet added
    CharStyle hiddenStyle_;
    bool hiddenShown_ = false; // the document's layout knows how to draw hidden runs

    QString fieldInstruction_;
    RtfPicture picture_;
    int pictureCount_ = 0;
};

} // namespace quill
