#pragma once

#include "rtf/CodePage.h"
#include "rtf/DocumentBuilder.h"
#include "rtf/RtfKeyword.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QColor>
#include <QHash>
#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <unordered_map>
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
    enum CharFlag : std::uint16_t {
        BoldFlag = 1,
        ItalicFlag = 2,
        UnderlineFlag = 4,
        StrikeFlag = 8,
        SuperscriptFlag = 16,
        SubscriptFlag = 32,
        HiddenFlag = 64,
    };
    struct CharStyle {
        int font = -1;      // -1: the default font, no family of its own
        int halfPoints = 0; // 0: no size of its own
        int foreground = 0; // colour table index, 0: automatic
        int background = 0;
        int link = -1; // index into links_
        std::uint16_t flags = 0;
        bool operator==(const CharStyle&) const = default;
    };
    struct ParagraphStyle {
        int alignment = 0;  // 0 left, 1 centre, 2 right, 3 justified
        int leftIndent = 0; // twips, as all lengths here
        int rightIndent = 0;
        int firstIndent = 0;
        int spaceBefore = 0;
        int spaceAfter = 0;
        int lineSpacing = 0;
        bool lineMultiple = false;
        bool inTable = false;
        bool operator==(const ParagraphStyle&) const = default;
    };
    struct GroupState {
        CharStyle chars;
        ParagraphStyle paragraph;
        int unicodeSkip = 1;
        Destination destination = Destination::Text;
    };
    struct FontEntry {
        QString name;
        int charset = -1;
        int codePage = -1;
    };
    struct PictureData {
        enum Kind : std::uint8_t { None, Png, Jpeg, Other } kind = None;
        QByteArray bytes;
        int highNibble = -1;
        int width = 0, height = 0, goalWidth = 0, goalHeight = 0;
        int scaleX = 100, scaleY = 100;
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
    void addPictureHex(QByteArrayView bytes);
    void endParagraph();
    void endRow();
    void finishFontName();
    void finishPicture();
    void startFieldResult();
    void flushPendingSurrogate();

    const CodePage& codePage(int number);
    const CodePage& currentCodePage();
    const QTextCharFormat& charFormat();
    const QTextBlockFormat& blockFormat();

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

    int documentCodePage_ = 1252;
    int defaultFont_ = -1;
    std::unordered_map<int, std::unique_ptr<CodePage>> codePages_;
    const CodePage* cachedPage_ = nullptr;
    int cachedFont_ = -2;

    QHash<int, FontEntry> fonts_;
    int fontBeingDefined_ = -1;
    QString fontName_;
    QList<QColor> colors_;
    int red_ = -1, green_ = -1, blue_ = -1;

    QByteArray pendingBytes_; // multi-byte text waiting for its trail bytes
    const CodePage* pendingPage_ = nullptr;
    char16_t pendingHighSurrogate_ = 0;
    Separator pendingSeparator_ = Separator::None;
    int pendingCells_ = 0;

    QString fieldInstruction_;
    QStringList links_;
    PictureData picture_;
    int pictureCount_ = 0;

    CharStyle formatStyle_;
    QTextCharFormat format_;
    bool formatValid_ = false;
    ParagraphStyle blockStyle_;
    QTextBlockFormat blockFormat_;
    bool blockFormatValid_ = false;
};

} // namespace quill
