#include "window/FormFixture.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

class EntryCommands : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        makeForm();
    }
    // What a user's pick does: the entry becomes selected, then the change command runs.
    static void pick(FieldCombo& field, qsizetype index) {
        field.select(index);
        Q_EMIT field.fieldChanged();
    }
    QString counter() const { return form->StatusBar1->currentMessage(); }
};

TEST_F(EntryCommands, dataTakeButton_promptsTwiceAndSaves) {
    fill(*form->ComboBox1, {u"a"_s});
    dialogs.answerOk(u"word"_s);
    dialogs.answerOk(u"Bedeutung \u00e4"_s);
    form->SpeedButton1->click();
    ASSERT_EQ(dialogs.prompts.size(), 2u);
    EXPECT_EQ(dialogs.prompts[0].caption, u"Data Take"_s);
    EXPECT_EQ(dialogs.prompts[0].label, u"Field(1)"_s);
    EXPECT_EQ(dialogs.prompts[0].text, QString());
    EXPECT_EQ(dialogs.prompts[1].label, u"Field(2)"_s);
    EXPECT_EQ(file(u"Phrase.log"_s), "a\r\nword\r\n");
    EXPECT_EQ(file(u"Mean.log"_s), "Bedeutung \xc3\xa4\r\n");
}

TEST_F(EntryCommands, dataTakeBothCancelled_addsNothingButRewritesFiles) {
    fill(*form->ComboBox1, {u"x"_s, u"y"_s});
    writeBytes(path(u"Phrase.log"_s), "stale\r\n");
    dialogs.answerCancel();
    dialogs.answerCancel();
    form->SpeedButton1->click();
    EXPECT_EQ(dialogs.prompts.size(), 2u); // the second prompt comes after a cancelled first
    // The window never read the files, so what another writer put there stays; merged lists
    // are whole pairs.
    EXPECT_EQ(file(u"Phrase.log"_s), "x\r\ny\r\nstale\r\n");
    EXPECT_EQ(file(u"Mean.log"_s), "\r\n\r\n\r\n");
}

TEST_F(EntryCommands, dataTakeEmptyAnswer_addsEmptyEntrySavedAsEmptyLine) {
    dialogs.answerOk(QString());
    dialogs.answerCancel();
    form->SpeedButton1->click();
    EXPECT_EQ(texts(*form->ComboBox1), QStringList{QString()});
    EXPECT_EQ(file(u"Phrase.log"_s), "\r\n");
}

// A pair with one prompt cancelled gets an empty entry in the other field, so the pairs taken
// after it keep their partners; both cancelled adds nothing.
TEST_F(EntryCommands, takeWithOnePromptCancelled_keepsLaterPairsInLine) {
    const struct {
        bool newDataTake;
        QString word, meaning; // a null answer cancels the prompt
        QStringList first, second;
    } rows[] = {
        {false, u"w1"_s, QString(), {u"w1"_s, u"w2"_s}, {QString(), u"m2"_s}},
        {false, QString(), u"m1"_s, {QString(), u"w2"_s}, {u"m1"_s, u"m2"_s}},
        {false, QString(), QString(), {u"w2"_s}, {u"m2"_s}},
        {true, QString(), u"m1"_s, {QString(), u"w2"_s}, {u"m1"_s, u"m2"_s}},
    };
    for (const auto& row : rows) {
        makeForm();
        if (row.newDataTake)
            trigger("N1");
        for (const QString& answer : {row.word, row.meaning, u"w2"_s, u"m2"_s}) {
            if (answer.isNull())
                dialogs.answerCancel();
            else
                dialogs.answerOk(answer);
        }
        for (int take = 0; take < 2; ++take)
            (row.newDataTake ? form->SpeedButton2 : form->SpeedButton1)->click();
        EXPECT_EQ(texts(*form->ComboBox1), row.first);
        EXPECT_EQ(texts(*form->ComboBox2), row.second);
        const QByteArray saved = (row.second.join(u"\r\n"_s) + u"\r\n"_s).toUtf8();
        EXPECT_EQ(file(u"Mean.log"_s), row.newDataTake ? QByteArray() : saved);
        for (const QString& name : {u"Phrase.log"_s, u"Mean.log"_s})
            QFile::remove(path(name));
    }
}

TEST_F(EntryCommands, newDataTake_clearsFieldsButNotFiles_andButtonDoesNotSave) {
    fill(*form->ComboBox1, {u"a"_s});
    fill(*form->ComboBox2, {u"b"_s});
    form->ComboBox1->setEditBytes("typed");
    writeBytes(path(u"Phrase.log"_s), "a\r\n");
    trigger("N1");
    EXPECT_TRUE(form->ComboBox1->entries().empty());
    EXPECT_TRUE(form->ComboBox2->entries().empty());
    EXPECT_TRUE(form->ComboBox1->editBytes().isEmpty());
    dialogs.answerOk(u"p"_s);
    dialogs.answerOk(u"m"_s);
    form->SpeedButton2->click();
    EXPECT_EQ(texts(*form->ComboBox1), QStringList{u"p"_s});
    EXPECT_EQ(texts(*form->ComboBox2), QStringList{u"m"_s});
    EXPECT_EQ(dialogs.prompts[0].caption, u"New Data Take"_s);
    EXPECT_EQ(file(u"Phrase.log"_s), "a\r\n");
    EXPECT_TRUE(file(u"Mean.log"_s).isNull());
}

TEST_F(EntryCommands, selectionSync_primaryLongerThanSecondary) {
    fill(*form->ComboBox1, {u"p0"_s, u"p1"_s, u"p2"_s, u"p3"_s, u"p4"_s});
    fill(*form->ComboBox2, {u"s0"_s, u"s1"_s, u"s2"_s});
    pick(*form->ComboBox1, 4);
    EXPECT_EQ(form->ComboBox2->selectedIndex(), -1);
    EXPECT_TRUE(form->ComboBox2->editBytes().isEmpty());
    EXPECT_EQ(counter(), u"Entry/Registration Counter:  4"_s);
    pick(*form->ComboBox2, 2);
    EXPECT_EQ(form->ComboBox1->selectedIndex(), 2);
    EXPECT_EQ(form->ComboBox1->editBytes(), "p2");
    EXPECT_EQ(counter(), u"Entry/Registration Counter:  2"_s);
}

TEST_F(EntryCommands, selectionSync_secondaryLongerThanPrimary_counterShowsMinusOne) {
    fill(*form->ComboBox1, {u"p0"_s, u"p1"_s, u"p2"_s});
    fill(*form->ComboBox2, {u"s0"_s, u"s1"_s, u"s2"_s, u"s3"_s, u"s4"_s});
    EXPECT_TRUE(counter().isEmpty()); // no text until the first change
    pick(*form->ComboBox2, 4);
    EXPECT_EQ(form->ComboBox1->selectedIndex(), -1);
    EXPECT_EQ(counter(), u"Entry/Registration Counter:  -1"_s);
}

TEST_F(EntryCommands, counterKeepsItsTextWhileBarIsHidden) {
    fill(*form->ComboBox1, {u"p0"_s, u"p1"_s});
    pick(*form->ComboBox1, 1);
    trigger("On1");
    trigger("Off1");
    trigger("On1");
    EXPECT_EQ(counter(), u"Entry/Registration Counter:  1"_s);
}

TEST_F(EntryCommands, addAndAppend_putEditTextsAtTheEnd_twiceGivesTwoEntries) {
    fill(*form->ComboBox1, {u"first"_s});
    form->ComboBox1->setEditBytes("same");
    form->ComboBox2->setEditBytes("mean");
    trigger("PrimaryField1");
    trigger("PrimaryField2");
    trigger("SecundaryField1");
    trigger("AllField1");
    trigger("BothFields1");
    trigger("SecundaryField2");
    EXPECT_EQ(texts(*form->ComboBox1),
              (QStringList{u"first"_s, u"same"_s, u"same"_s, u"same"_s, u"same"_s}));
    EXPECT_EQ(texts(*form->ComboBox2).size(), 4);
    EXPECT_EQ(form->ComboBox1->selectedIndex(), -1);
    EXPECT_EQ(form->ComboBox1->editBytes(), "same");
}

TEST_F(EntryCommands, deleteCommands_removeSelectedEntries) {
    fill(*form->ComboBox1, {u"a"_s, u"b"_s, u"c"_s});
    fill(*form->ComboBox2, {u"x"_s, u"y"_s, u"z"_s, u"w"_s});
    form->ComboBox2->select(3); // selected only in the secondary field
    trigger("Delete1");
    EXPECT_EQ(texts(*form->ComboBox1), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
    EXPECT_EQ(texts(*form->ComboBox2), (QStringList{u"x"_s, u"y"_s, u"z"_s}));

    form->ComboBox1->select(1);
    trigger("PrimaryFieldFromData1");
    EXPECT_EQ(texts(*form->ComboBox1), (QStringList{u"a"_s, u"c"_s}));

    form->ComboBox2->select(0);
    trigger("SecundaryFieldActualData1");
    EXPECT_EQ(texts(*form->ComboBox2), (QStringList{u"y"_s, u"z"_s}));

    // Nothing selected: nothing deleted, nothing reported.
    form->ComboBox1->select(-1);
    form->ComboBox2->select(-1);
    trigger("BothFieldActualData1");
    EXPECT_EQ(form->ComboBox1->entries().size(), 2);
    EXPECT_EQ(form->ComboBox2->entries().size(), 2);
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(EntryCommands, clearCommands_emptyEntriesAndEditTexts) {
    fill(*form->ComboBox1, {u"a"_s});
    fill(*form->ComboBox2, {u"b"_s});
    form->ComboBox1->select(0);
    form->ComboBox2->select(0);
    trigger("ClearPrimaryFiled1");
    EXPECT_TRUE(form->ComboBox1->entries().empty());
    EXPECT_TRUE(form->ComboBox1->editBytes().isEmpty());
    EXPECT_EQ(form->ComboBox2->editBytes(), "b");
    trigger("ClearSecondaryField1");
    EXPECT_TRUE(form->ComboBox2->entries().empty());
    fill(*form->ComboBox1, {u"a"_s});
    fill(*form->ComboBox2, {u"b"_s});
    trigger("Exit1");
    EXPECT_TRUE(form->ComboBox1->entries().empty());
    EXPECT_TRUE(form->ComboBox2->entries().empty());
}

TEST_F(EntryCommands, fieldCursor_insertsBlankAtCaretOrReplacesSelection) {
    form->ComboBox1->setEditBytes("abc");
    form->ComboBox1->lineEdit()->setCursorPosition(1);
    trigger("Field11");
    EXPECT_EQ(form->ComboBox1->editBytes(), "a bc");

    form->ComboBox2->setEditBytes("abc");
    form->ComboBox2->lineEdit()->setSelection(1, 2);
    trigger("Field21");
    EXPECT_EQ(form->ComboBox2->editBytes(), "a ");

    form->ComboBox1->setEditBytes("xy");
    form->ComboBox1->lineEdit()->setCursorPosition(2);
    form->ComboBox2->setEditBytes("uv");
    form->ComboBox2->lineEdit()->setCursorPosition(0);
    trigger("AllFieldCursors1");
    EXPECT_EQ(form->ComboBox1->editBytes(), "xy ");
    EXPECT_EQ(form->ComboBox2->editBytes(), " uv");
}

TEST_F(EntryCommands, deleteAllCancelled_changesNothing) {
    fill(*form->ComboBox1, {u"a"_s});
    dialogs.okAnswer = false;
    trigger("Other1");
    EXPECT_EQ(dialogs.beeps, 1);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].text, u"Are You Sure..."_s);
    EXPECT_EQ(dialogs.questions[0].title, u"Delete All Data Throughout..."_s);
    EXPECT_EQ(form->ComboBox1->entries().size(), 1);
    EXPECT_TRUE(file(u"Phrase.log"_s).isNull());
}

TEST_F(EntryCommands, deleteAllConfirmed_emptiesFieldsAndFiles) {
    writeBytes(path(u"Phrase.log"_s), "a\r\n");
    writeBytes(path(u"Mean.log"_s), "b\r\n");
    form->FormActivate();
    trigger("Other1");
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_TRUE(form->ComboBox1->entries().empty());
    EXPECT_TRUE(form->ComboBox2->entries().empty());
    EXPECT_EQ(file(u"Phrase.log"_s), QByteArray(""));
    EXPECT_EQ(file(u"Mean.log"_s), QByteArray(""));
}

} // namespace
} // namespace quill::test
