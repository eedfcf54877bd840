// Laying a notes document out in slices, and what the slices measure.
#include "rtf/LayoutSweep.h"
#include "rtf/NotesCapacity.h"
#include "rtf/NotesDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace quill {
namespace {

// Every slice lays out at least one paragraph; the last leaves the whole document laid out. The
// lines' heights add up to the document's height where paragraphs have no spacing, and to more
// where they do (the layout lets spacing above and below overlap).
TEST(LayoutSweep, laysOutToTheEndAndMeasuresTheLines) {
    const struct {
        const char* name;
        QByteArray bytes;
        bool exact;
    } cases[] = {
        {"short paragraphs", QByteArray("a line\n").repeated(3000), true},
        {"wrapped paragraphs", QByteArray(QByteArray("word ").repeated(300) + '\n').repeated(40),
         true},
        {"large letters, spacing",
         "{\\rtf1 " + QByteArray("{\\fs96 big}\\sb200\\sa400\\par ").repeated(50) + '}', false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        loadNotes(c.bytes, document);
        document.setPageSize(QSizeF(300, -1));
        LayoutSweep sweep(document);
        int slices = 1;
        while (sweep.advance(std::chrono::milliseconds(0)))
            ++slices;
        EXPECT_EQ(slices, document.blockCount());
        EXPECT_EQ(sweep.done(), 1.0);
        EXPECT_GT(document.lastBlock().layout()->lineCount(), 0);
        qint64 lines = 0;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
            lines += block.layout()->lineCount();
        EXPECT_EQ(sweep.paragraphs(), document.blockCount());
        EXPECT_EQ(sweep.lines(), lines);
        const qreal height =
            document.documentLayout()->documentSize().height() - 2 * document.documentMargin();
        if (c.exact) {
            EXPECT_EQ(sweep.height(), height);
        } else {
            EXPECT_GT(sweep.height(), height);
        }
    }
}

// A key moves every later paragraph, line by line: a paragraph of one line weighs as much as
// three further lines.
TEST(NotesCapacity, holdsAsMuchAsTheMostParagraphsOfOneLine) {
    const qint64 most = NotesCapacity::MostParagraphs;
    EXPECT_TRUE(NotesCapacity::holdsLines(most, most));
    EXPECT_FALSE(NotesCapacity::holdsLines(most + 1, most + 1));
    EXPECT_TRUE(NotesCapacity::holdsLines(most / 2, most / 2 + 2 * most));
    EXPECT_FALSE(NotesCapacity::holdsLines(most / 2, most / 2 + 2 * most + 1));
}

} // namespace
} // namespace quill
