#pragma once

#include <QString>
#include <QTextFormat>

class QTextCharFormat;
class QTextDocument;

namespace quill {

// Hidden text (\v) has no place among the characters a pane shows, and Qt's character formats
// cannot hide text. A hidden run therefore lives in the document as one object character whose
// format carries the run's text and formatting; the document's layout draws such objects as
// nothing, zero pixels wide, and a save writes the run back as hidden text.
constexpr int hiddenTextObject = QTextFormat::UserObject + 1;
// The hidden run's text, on the object character's format.
constexpr int hiddenTextProperty = QTextFormat::UserProperty + 1;

// The object character's format for a hidden run of the given text and formatting.
QTextCharFormat hiddenTextFormat(const QTextCharFormat& format, const QString& text);
bool isHiddenText(const QTextCharFormat& format);

// Makes the document's layout draw hidden runs as nothing; once per document is enough.
void hideHiddenText(QTextDocument& document);

} // namespace quill
