#pragma once

#include "rtf/DocumentBuilder.h"
#include "rtf/RtfStyle.h"

#include <QString>

#include <cstdint>

class QTextDocument;
class QTextImageFormat;

namespace quill {

class RtfTables;

// Puts the text of a document's body in place, in reading order: shown runs with their
// formats, hidden runs as hidden-text objects, cells and rows of tables as tabs and line
// breaks (the document holds no tables), paragraph ends and pictures.
class RtfContent {
public:
    RtfContent(QTextDocument& document, RtfTables& tables);

    void addText(QStringView text, const CharStyle& chars, const ParagraphStyle& paragraph);
    // A paragraph inside a table cell becomes a line break if more of the cell follows.
    void endParagraph(const ParagraphStyle& paragraph);
    void endCell();
    void endNestedRow();
    void endRow(const ParagraphStyle& paragraph);
    void addImage(const QTextImageFormat& format, const CharStyle& chars);
    bool hasPendingSeparator() const { return pendingSeparator_ != Separator::None; }
    // The last paragraph gets the given format; nothing may follow.
    void finish(const ParagraphStyle& paragraph);

private:
    enum class Separator : std::uint8_t { None, Line, Cell };

    void addSeparator(const CharStyle& chars);
    void appendShownText(QStringView text, const CharStyle& chars, const ParagraphStyle& paragraph);
    void append(QStringView text, const CharStyle& chars);
    void addHiddenText(QStringView text, const CharStyle& chars);
    void flushHiddenText();

    QTextDocument& document_;
    RtfTables& tables_;
    DocumentBuilder builder_;
    Separator pendingSeparator_ = Separator::None;
    int pendingCells_ = 0;
    QString hiddenText_; // a hidden run not yet added
    CharStyle hiddenStyle_;
    bool hiddenShown_ = false; // the document's layout knows how to draw hidden runs
};

} // namespace quill
