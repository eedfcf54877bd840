#include "window/FormFixture.h"

#include <QDir>
#include <QPushButton>
#include <QTextEdit>

#include <functional>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

// Undo and redo of the window's commands, through the menu and the keys.
class UndoCommands : public FormFixture {
protected:
    // A window on "a b c" / "A B C" with the second pair picked.
    void start(const QByteArray& first = "a\r\nb\r\nc\r\n",
               const QByteArray& second = "A\r\nB\r\nC\r\n") {
        QDir::setCurrent(dir.path());
        writeBytes(path(u"Phrase.log"_s), first);
        writeBytes(path(u"Mean.log"_s), second);
        makeForm().FormActivate();
        form->ComboBox1->select(1);
        form->ComboBox2->select(1);
    }
    // Entries, edit text and selected entry of both fields.
    std::string shown() const {
        QString text;
        for (const FieldCombo* field : {form->ComboBox1, form->ComboBox2})
            text += texts(*field).join(u' ') + u" ["_s + field->currentText() + u"] "_s +
                    QString::number(field->selectedIndex()) + u" | "_s;
        return text.toStdString();
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
};

TEST_F(UndoCommands, everyCommandChangingTheFields_isUndoneAndRedone) {
    services.registryStorePath = path(u"keys.sqlite3"_s);
    services.generatorMemoryBudget = 64 * 1024; // the generator fails part way
    writeBytes(path(u"list.txt"_s), "x\r\ny\r\n");
    ASSERT_TRUE(QDir(dir.path()).mkpath(u"listed/sub"_s));
    const struct {
        const char* command;
        std::function<void(ScriptedDialogs&)> answer;
    } cases[] = {
        {"PrimaryField1", {}},
        {"BothFields1", {}},
        {"BothFieldActualData1", {}},
        {"ClearSecondaryField1", {}},
        {"Exit1", {}},
        {"Other1", {}},
        {"N1", {}},
        {"SpeedButton1",
         [](ScriptedDialogs& d) {
             d.answerOk(u"n"_s), d.answerOk(u"N"_s);
         }},
        {"OpenList1",
         [this](ScriptedDialogs& d) {
             d.answerFile(path(u"list.txt"_s));
         }},
        {"Open1",
         [this](ScriptedDialogs& d) {
             d.answerFile(path(u"list.txt"_s)), d.answerFile(path(u"list.txt"_s));
         }},
        {"N2",
         [](ScriptedDialogs& d) {
             d.answerOk(u"100000"_s);
         }},
        {"Any1",
         [this](ScriptedDialogs& d) {
             d.answerOk(path(u"listed"_s));
         }},
        {"ReadDatasFromRegistryDatabase1", {}},
        {"DateTime1", {}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.command);
        start();
        if (row.answer)
            row.answer(dialogs);
        const std::string before = shown();
        if (row.command == std::string("SpeedButton1"))
            form->SpeedButton1->click();
        else
            trigger(row.command);
        const std::string after = shown();
        EXPECT_NE(after, before);
        trigger("Undo1");
        EXPECT_EQ(shown(), before);
        trigger("Redo1");
        EXPECT_EQ(shown(), after);
        EXPECT_EQ(dialogs.failureTexts().size(), row.command == std::string("N2") ? 1 : 0);
        dialogs.failures.clear();
    }
}

TEST_F(UndoCommands, undoThenSave_writesTheEarlierFilesByteForByte) {
    const QByteArray first("caf\xE9\r\n\0\r\n\r\nz\r\n", 14);
    const QByteArray second("meaning\r\n\xFF\r\n");
    start(first, second);
    trigger("Other1"); // clears both fields and saves them
    ASSERT_EQ(file(u"Phrase.log"_s), "");
    trigger("Undo1");
    trigger("SaveFields1");
    EXPECT_EQ(file(u"Phrase.log"_s), first);
    EXPECT_EQ(file(u"Mean.log"_s), second);
}

TEST_F(UndoCommands, undoAfterASaveMergedAnotherWritersPair_keepsThatPair) {
    start();
    trigger("Delete1"); // the picked pair b/B
    writeBytes(path(u"Phrase.log"_s), "a\r\nb\r\nc\r\nx\r\n");
    writeBytes(path(u"Mean.log"_s), "A\r\nB\r\nC\r\nX\r\n");
    trigger("SaveFields1");
    ASSERT_EQ(shown(), "a c x [b] -1 | A C X [B] -1 | ");
    trigger("Undo1");
    EXPECT_EQ(shown(), "a b c x [b] 1 | A B C X [B] 1 | ");
    trigger("SaveFields1");
    EXPECT_EQ(file(u"Phrase.log"_s), "a\r\nb\r\nc\r\nx\r\n");
    trigger("Redo1");
    EXPECT_EQ(shown(), "a c x [b] -1 | A C X [B] -1 | ");
}

TEST_F(UndoCommands, keys_undoTypingInTheEditBoxFirst_thenTheWindowsCommands) {
    makeForm().show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClicks(QApplication::focusWidget(), u"ab"_s);
    trigger("AllField1");
    QTest::keyClicks(QApplication::focusWidget(), u"c"_s);
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* shown;
    } steps[] = {
        {Qt::Key_Z, Qt::ControlModifier, "ab [ab] -1 |  [] -1 | "},  // the typing
        {Qt::Key_Y, Qt::ControlModifier, "ab [abc] -1 |  [] -1 | "}, // typing again
        {Qt::Key_Z, Qt::ControlModifier, "ab [ab] -1 |  [] -1 | "},
        {Qt::Key_Z, Qt::ControlModifier, " [ab] -1 |  [] -1 | "}, // the command
        {Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier, "ab [ab] -1 |  [] -1 | "},
    };
    for (const auto& step : steps) {
        key(step.key, step.modifiers);
        EXPECT_EQ(shown(), step.shown);
    }
    // The notes pane keeps its own undo.
    form->RichEdit1->show();
    form->RichEdit1->setFocus();
    QTest::keyClicks(form->RichEdit1, u"n"_s);
    key(Qt::Key_Z);
    EXPECT_EQ(form->RichEdit1->toPlainText(), QString());
    key(Qt::Key_Y);
    EXPECT_EQ(form->RichEdit1->toPlainText(), u"n"_s);
    EXPECT_EQ(shown(), "ab [ab] -1 |  [] -1 | ");
}

TEST_F(UndoCommands, nothingToUndo_beepsOrSaysThatOlderStepsWereLetGo) {
    const struct {
        const char* name;
        qint64 memoryBudget;
        int commands;
        int undoable;
        QString failure;
    } cases[] = {
        {"none recorded", 0, 0, 0, {}},
        {"past the step count", 0, 101, 100,
         u"Nothing more can be undone: the undo history keeps the last 100 commands."_s},
        {"past the memory", 1, 2, 1,
         u"Nothing more can be undone: older commands were let go to keep memory free."_s},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        dialogs = ScriptedDialogs();
        services.undoMemoryBudget = row.memoryBudget;
        start();
        // Each command clears the lists, and the other writes one entry, so each step keeps
        // entries no field holds any more.
        for (int i = 0; i < row.commands; ++i)
            trigger(i % 2 == 0 ? "Exit1" : "PrimaryField2");
        for (int i = 0; i < row.undoable; ++i)
            trigger("Undo1");
        EXPECT_EQ(dialogs.beeps, 0);
        trigger("Undo1");
        EXPECT_EQ(dialogs.failureTexts(),
                  row.failure.isNull() ? QStringList() : QStringList{row.failure});
        EXPECT_EQ(dialogs.beeps, row.failure.isNull() ? 1 : 0);
    }
    // A command after an undo leaves nothing to redo.
    trigger("PrimaryField1");
    trigger("Redo1");
    EXPECT_EQ(dialogs.beeps, 1);
}

} // namespace
} // namespace quill::test
