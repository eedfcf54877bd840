// Commands that work on whole lists: the busy cursor while they work, the progress window, and
// Cancel in it leaving the fields, the files and the composing buffer as they were.
#include "storage/ListFile.h"
#include "storage/TextBuffer.h"
#include "window/FormFixture.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QTextEdit>

#include <atomic>
#include <thread>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

struct CancelCase {
    const char* action;
    const char* caption;
    const char* file;     // answered in the first file dialog
    const char* oldText;  // what that file holds before, "" for a list to read
    std::size_t showings; // file dialogs shown: a cancelled first file ends the command
};

class CancelledLongCommand : public FormFixture,
                             public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelledLongCommand, showsBusyCursorAndProgress_cancelLeavesAllAsItWas) {
    const CancelCase& row = GetParam();
    const QString target = path(QString::fromLatin1(row.file));
    const QByteArray before = *row.oldText ? QByteArray(row.oldText) : "x\r\ny\r\nz\r\n";
    writeBytes(target, before);
    makeForm();
    fill(*form->ComboBox1, {u"p1"_s, u"p2"_s});
    fill(*form->ComboBox2, {u"m1"_s, u"m2"_s});
    form->ComboBox1->setEditBytes("typed");
    form->Memo1.appendLine("composed");
    dialogs.answerFile(target);
    dialogs.answerFile(target); // a second showing must not come
    dialogs.cancelProgressAt = 1;

    trigger(row.action);

    EXPECT_EQ(dialogs.progressCaptions, QStringList{QString::fromLatin1(row.caption)});
    EXPECT_EQ(dialogs.busyAtUpdates, std::vector<bool>{true});
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(dialogs.fileShowings.size(), row.showings);
    EXPECT_TRUE(dialogs.failures.empty());
    EXPECT_EQ(texts(*form->ComboBox1), (QStringList{u"p1"_s, u"p2"_s}));
    EXPECT_EQ(texts(*form->ComboBox2), (QStringList{u"m1"_s, u"m2"_s}));
    EXPECT_EQ(form->ComboBox1->editBytes(), "typed");
    EXPECT_EQ(form->Memo1.text(), "composed\r\n");
    EXPECT_EQ(fileBytes(target), before);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CancelledLongCommand,
    ::testing::Values(
        CancelCase{"OpenList1", "Open List Primary Field As....", "a.lst", "", 1},
        CancelCase{"Open1", "Open...", "a.log", "", 1},
        CancelCase{"SaveListOtherName1", "Save List Primary Field As...", "b.lst", "old\r\n", 1},
        CancelCase{"Save1", "Save...", "b.log", "old\r\n", 1},
        // Both.log is the fixed file, written without a dialog.
        CancelCase{"SaveBoth1", "Save Both Fields Consecutively...", "Both.log", "old\r\n", 0}));

// Saves with no progress window (the pair save, the notes) show the busy cursor from the start:
// a thread watches the cursor while the window's thread writes some megabytes.
struct BusyCase {
    const char* action;
};

class BusySave : public FormFixture, public ::testing::WithParamInterface<BusyCase> {};

TEST_P(BusySave, showsBusyCursorWhileSaving) {
    makeForm();
    QStringList entries;
    for (int i = 0; i < 300'000; ++i)
        entries.append(u"entry number %1"_s.arg(i));
    fill(*form->ComboBox1, entries);
    fill(*form->ComboBox2, entries);
    form->RichEdit1->setPlainText(entries.mid(0, 50'000).join(u'\n'));
    dialogs.answerFile(path(u"notes.rtf"_s));

    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    std::atomic<bool> running{true}, seen{false};
    // Only whether a cursor is set is read here, while the window's thread is in the command.
    std::thread watcher([&] {
        while (running && !seen)
            seen = QGuiApplication::overrideCursor() != nullptr;
    });
    trigger(GetParam().action);
    running = false;
    watcher.join();

    EXPECT_TRUE(seen);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(dialogs.failures.empty()) << dialogs.failureTexts().join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Commands, BusySave,
                         ::testing::Values(BusyCase{"SaveFields1"}, BusyCase{"Other1"},
                                           BusyCase{"SaveAs1"}));

} // namespace
} // namespace quill::test
