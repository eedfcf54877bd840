#include "rtf/NotesCapacity.h"

#include <QTextBlock>
#include <QTextDocument>

namespace quill {

bool NotesCapacity::holdsParagraphs(const QTextDocument& document) {
    if (document.blockCount() > MostParagraphs)
        return false;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.length() - 1 > LongestParagraph) // without its paragraph mark
            return false;
    }
    return true;
}

bool NotesCapacity::holdsLines(qint64 paragraphs, qint64 lines) {
    return 3 * paragraphs + lines <= 4 * MostParagraphs;
}

} // namespace quill
