#include "rtf/NotesCapacity.h"
#include "window/FormFixture.h"

#include <QDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

class NotesCommands : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        makeForm();
    }
    QTextEdit& pane() { return *form->RichEdit1; }
    bool closeEnabled() const { return form->CloseEditor1->isEnabled(); }
    QSize clientSize() const { return form->centralWidget()->size(); }
};

// The pane and "&Close Editor..." through a run of the three commands.
TEST_F(NotesCommands, commandsFollowTheStateTable) {
    struct Step {
        const char* action;
        bool confirm; // the dialog is confirmed (notes.rtf), else cancelled
        bool visible;
        int height;
        bool closeEnabled;
        QSize client;
    };
    const Step steps[] = {
        {nullptr, false, false, 86, false, {593, 81}},
        {"OpenAs1", false, true, 400, true, {593, 472}},
        {"SaveAs1", true, true, 400, false, {593, 472}},
        {"OpenAs1", false, true, 400, true, {593, 472}},
        {"CloseEditor1", false, false, 86, true, {593, 81}},
        {"SaveAs1", false, false, 86, true, {593, 81}},
        {"SaveAs1", true, false, 86, false, {593, 81}},
        {"CloseEditor1", false, false, 86, false, {593, 81}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.action ? step.action : "start");
        if (step.action) {
            dialogs.fileAnswers.clear();
            if (step.confirm)
                dialogs.answerFile(path(u"notes.rtf"_s));
            trigger(step.action); // a disabled entry runs nothing, as in the menu
        }
        EXPECT_EQ(!pane().isHidden(), step.visible);
        EXPECT_EQ(pane().height(), step.height);
        EXPECT_EQ(closeEnabled(), step.closeEnabled);
        EXPECT_EQ(clientSize(), step.client);
    }
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(NotesCommands, savedUnderTextFilter_isRichTextAndOpensAgain) {
    pane().setPlainText(u"Grüße\nzweite Zeile"_s);
    dialogs.answerFile(path(u"notes.txt"_s), 2);
    trigger("SaveAs1");
    EXPECT_TRUE(file(u"notes.txt"_s).startsWith("{\\rtf"));
    pane().clear();
    dialogs.answerFile(path(u"notes.txt"_s));
    trigger("OpenAs1");
    EXPECT_EQ(pane().toPlainText(), u"Grüße\nzweite Zeile"_s);
    EXPECT_EQ(pane().document()->defaultTextOption().alignment(), Qt::AlignHCenter);
}

TEST_F(NotesCommands, plainTextWithLineFeeds_showsItsLines) {
    writeBytes(path(u"plain.rtf"_s), "one\ntwo\n\nthree");
    dialogs.answerFile(path(u"plain.rtf"_s));
    trigger("OpenAs1");
    EXPECT_EQ(pane().toPlainText(), u"one\ntwo\n\nthree"_s);
    EXPECT_FALSE(pane().isHidden());
}

// A file opens with the caret at its start, wherever it was before, and typing moves it on.
TEST_F(NotesCommands, openedFile_hasTheCaretAtItsStart) {
    for (const char* bytes : {"{\\rtf1 one\\par two\\par three}", "one\ntwo\nthree"}) {
        SCOPED_TRACE(bytes);
        pane().setPlainText(u"old text"_s);
        pane().moveCursor(QTextCursor::End);
        writeBytes(path(u"notes.rtf"_s), bytes);
        dialogs.answerFile(path(u"notes.rtf"_s));
        trigger("OpenAs1");
        EXPECT_EQ(pane().textCursor().position(), 0);
        EXPECT_FALSE(pane().textCursor().hasSelection());
        QTest::keyClicks(&pane(), u"ab"_s);
        EXPECT_EQ(pane().textCursor().position(), 2);
        EXPECT_EQ(pane().toPlainText(), u"abone\ntwo\nthree"_s);
    }
}

TEST_F(NotesCommands, failedOpens_leavePaneAndMenuEntryAsTheyWere) {
    writeBytes(path(u"big.txt"_s), QByteArray(100, 'b'));
    services.notesMemoryBudget = 99;
    makeForm();
    form->RichEdit1->setPlainText(u"kept"_s);
    dialogs.answerFile(path(u"missing.rtf"_s));
    dialogs.answerFile(path(u"big.txt"_s));
    trigger("OpenAs1");
    EXPECT_TRUE(dialogs.failures.empty());
    trigger("OpenAs1");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].text, u"Failed to Load Stream."_s);
    EXPECT_TRUE(pane().isHidden());
    EXPECT_EQ(pane().height(), 86);
    EXPECT_FALSE(closeEnabled());
    EXPECT_EQ(pane().toPlainText(), u"kept"_s);
}

// The budget is counted on the document a file becomes, not on its bytes: paragraphs cost far
// more than their characters, and the pane lays out no more lines than its positions can hold.
TEST_F(NotesCommands, budgetCountsTheDocument_notTheBytes) {
    const struct {
        const char* name;
        QByteArray bytes;
        qint64 budget; // 0: the default share of the memory available
        bool refused;
    } cases[] = {
        {"words in one paragraph", QByteArray("abcd ").repeated(400), 20'000, false},
        {"the same bytes as line ends", QByteArray(2000, '\n'), 20'000, true},
        {"rich text paragraphs", "{\\rtf1 " + QByteArray("\\par ").repeated(400) + '}', 20'000,
         true},
        {"more lines than the pane can lay out", QByteArray(2'000'000, '\n'), 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(path(u"notes.txt"_s), c.bytes);
        services.notesMemoryBudget = c.budget;
        makeForm();
        pane().setPlainText(u"kept"_s);
        dialogs.failures.clear();
        dialogs.answerFile(path(u"notes.txt"_s));
        trigger("OpenAs1");
        EXPECT_EQ(dialogs.failures.size(), c.refused ? 1u : 0u);
        if (c.refused && !dialogs.failures.empty()) {
            EXPECT_EQ(dialogs.failures[0].text, u"Failed to Load Stream."_s);
        }
        EXPECT_EQ(pane().isHidden(), c.refused);
        EXPECT_EQ(pane().toPlainText() == u"kept"_s, c.refused);
    }
}

// A file that is still growing while it is read (a kernel file says it is empty) stops at the
// budget; one that is larger than the budget from the start is refused unread.
TEST_F(NotesCommands, growingOrHugeFile_stopsAtTheBudget) {
    const qint64 mapsBytes = fileBytes(u"/proc/self/maps"_s).size();
    ASSERT_GT(mapsBytes, 0);
    const QString huge = path(u"huge.txt"_s);
    writeBytes(huge, "x");
    ASSERT_TRUE(QFile::resize(huge, qint64(1) << 40)); // a terabyte of holes
    for (const QString& file : {u"/proc/self/maps"_s, huge}) {
        SCOPED_TRACE(file.toStdString());
        services.notesMemoryBudget = 2 * mapsBytes;
        makeForm();
        dialogs.failures.clear();
        dialogs.answerFile(file);
        trigger("OpenAs1");
        ASSERT_EQ(dialogs.failures.size(), 1u);
        EXPECT_EQ(dialogs.failures[0].text, u"Failed to Load Stream."_s);
        EXPECT_TRUE(pane().isHidden());
        EXPECT_TRUE(dialogs.progressUpdates.empty());
    }
}

// A large file is read, becomes a document, is measured and placed in the pane under one
// progress window; Cancel at any of these leaves the pane as it was, shown or hidden, and still
// editable. A load to its end leaves nothing of the layout for later.
TEST_F(NotesCommands, cancelledLoad_leavesThePaneAsItWas) {
    const QByteArray bytes = QByteArray("a few more words in a line of notes\n").repeated(30'000);
    writeBytes(path(u"notes.txt"_s), bytes);
    const qint64 size = bytes.size(); // the progress goes to four times the file's size
    const struct {
        const char* name;
        int cancelAt;
        qint64 cancelFrom;
        bool shown;
    } cases[] = {
        {"at the first piece read", 1, -1, false},
        {"once read", 0, size, true},
        {"once built", 0, 2 * size, false},
        {"once measured", 0, 3 * size, true},
        {"once placed", 0, 4 * size, false},
        {"once placed in the shown pane", 0, 4 * size, true},
        {"never", 0, -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        makeForm();
        if (c.shown) {
            dialogs.answerFileCancel();
            trigger("OpenAs1");
        }
        pane().setPlainText(u"kept"_s);
        dialogs.cancelProgressAt = c.cancelAt;
        dialogs.cancelProgressFrom = c.cancelFrom;
        dialogs.answerFile(path(u"notes.txt"_s));
        trigger("OpenAs1");
        EXPECT_TRUE(dialogs.failures.empty());
        ASSERT_FALSE(dialogs.progressUpdates.empty());
        if (c.cancelAt > 0 || c.cancelFrom >= 0) {
            EXPECT_EQ(pane().isHidden(), !c.shown);
            EXPECT_EQ(pane().height(), c.shown ? 400 : 86);
            EXPECT_EQ(closeEnabled(), c.shown);
            QTest::keyClicks(&pane(), u"x"_s);
            EXPECT_EQ(pane().toPlainText(), u"xkept"_s);
        } else {
            EXPECT_EQ(dialogs.progressUpdates.back(), 4 * size);
            EXPECT_FALSE(pane().isHidden());
            EXPECT_EQ(pane().document()->blockCount(), 30'001);
            EXPECT_GT(pane().document()->lastBlock().layout()->lineCount(), 0);
        }
    }
}

// Words of ten characters in one paragraph of `length` characters.
QByteArray words(qsizetype length) {
    return QByteArray("abcdefghi ").repeated(length / 10 + 1).left(length);
}

// A file the pane cannot hold is refused with the message and leaves the pane as it was: too
// many paragraphs or too long a paragraph (plain text as it is read, rich text as its document
// grows), too many lines once laid out, or taller than the pane's layout can place a line.
TEST_F(NotesCommands, fileThePaneCannotHold_isRefusedAndLeavesThePane) {
    const qsizetype most = NotesCapacity::MostParagraphs;
    const qsizetype longest = NotesCapacity::LongestParagraph;
    const struct {
        const char* name;
        QByteArray bytes;
        bool refused;
    } cases[] = {
        {"the most paragraphs", QByteArray("x\n").repeated(most - 1) + 'x', false},
        {"a paragraph more", QByteArray("x\n").repeated(most), true},
        {"the longest paragraph", words(longest), false},
        {"a character more", words(longest + 1), true},
        {"rich text, a paragraph more", "{\\rtf1 " + QByteArray("x\\par ").repeated(most) + '}',
         true},
        {"rich text, a character more", "{\\rtf1 " + words(longest + 1) + '}', true},
        {"fewer paragraphs of many lines",
         "{\\rtf1 " + QByteArray(QByteArray("x\\line ").repeated(999) + "x\\par ").repeated(200) +
             '}',
         true},
        {"taller than the layout places lines",
         "{\\rtf1\\fs3276 " + QByteArray("W ").repeated(4000) + '}', true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(path(u"notes.rtf"_s), c.bytes);
        makeForm();
        pane().setPlainText(u"kept"_s);
        dialogs.failures.clear();
        dialogs.answerFile(path(u"notes.rtf"_s));
        trigger("OpenAs1");
        EXPECT_EQ(dialogs.failureTexts(),
                  c.refused ? QStringList{u"Failed to Load Stream."_s} : QStringList());
        EXPECT_EQ(pane().isHidden(), c.refused);
        EXPECT_EQ(pane().toPlainText() == u"kept"_s, c.refused);
    }
}

// The pane imposes its own wrap mode on a document it is given: a file with a run of thousands
// of characters without a blank still wraps anywhere there, and the next file at word
// boundaries again.
TEST_F(NotesCommands, loadedFile_keepsItsWrapModeInThePane) {
    for (const auto& [bytes, mode] :
         {std::pair{QByteArray(3000, 'a'), QTextOption::WrapAnywhere},
          std::pair{words(3000), QTextOption::WrapAtWordBoundaryOrAnywhere}}) {
        writeBytes(path(u"notes.txt"_s), bytes);
        dialogs.answerFile(path(u"notes.txt"_s));
        trigger("OpenAs1");
        EXPECT_EQ(pane().wordWrapMode(), mode);
        EXPECT_EQ(pane().document()->defaultTextOption().wrapMode(), mode);
    }
}

TEST_F(NotesCommands, writeCutShort_reportsFailedToSaveStreamAndKeepsOldFile) {
    writeBytes(path(u"notes.rtf"_s), "old");
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    ASSERT_EQ(chmod(QFile::encodeName(path(u"notes.rtf"_s)).constData(), 0666), 0);
    pane().setPlainText(QString(5000, u'x'));
    dialogs.answerFileCancel();
    trigger("OpenAs1");
    dialogs.answerFile(path(u"notes.rtf"_s));
    const int result = runAsUnprivileged([&] {
        // A file size limit makes the write fail once the file has been created.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        setrlimit(RLIMIT_FSIZE, &limit);
        form->runCommand(&TForm1::SaveAs1Click);
        if (dialogs.failures.size() != 1 || dialogs.failures[0].text != u"Failed to Save Stream."_s)
            return 1;
        if (!closeEnabled())
            return 2;
        return fileBytes(path(u"notes.rtf"_s)) == "old" ? 0 : 3;
    });
    EXPECT_EQ(result, 0);
}

TEST_F(NotesCommands, fullDevice_reportsTheCauseAndKeepsOldFile) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"disk"_s));
    const QString notes = path(u"disk/notes.rtf"_s);
    pane().setPlainText(QString(200 * 1024, u'x'));
    const int result = runOnSmallDevice(path(u"disk"_s), 64 * 1024, [&] {
        writeBytes(notes, "old");
        dialogs.answerFile(notes);
        form->runCommand(&TForm1::SaveAs1Click);
        if (dialogs.failures.size() != 1 ||
            dialogs.failures[0].text != u"Failed to Save Stream: no space left on the device."_s)
            return 1;
        const QStringList left =
            QDir(path(u"disk"_s)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        return fileBytes(notes) == "old" && left == QStringList{u"notes.rtf"_s} ? 0 : 2;
    });
    EXPECT_EQ(result, 0);
}

} // namespace
} // namespace quill::test
