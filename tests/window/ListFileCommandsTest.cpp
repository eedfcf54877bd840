#include "dialogs/QtDialogs.h"
#include "window/FormFixture.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

class ListFileCommands : public FormFixture {};

TEST_F(ListFileCommands, startUp_loadsBothFieldsAndSelectsFirstEntries) {
    writeBytes(path(u"Phrase.log"_s), "alpha\nbeta\r\ngamma");
    writeBytes(path(u"Mean.log"_s), "A\rB\r\n");
    makeForm().FormActivate();
    EXPECT_EQ(texts(*form->ComboBox1), (QStringList{u"alpha"_s, u"beta"_s, u"gamma"_s}));
    EXPECT_EQ(texts(*form->ComboBox2), (QStringList{u"A"_s, u"B"_s}));
    EXPECT_EQ(form->ComboBox1->selectedIndex(), 0);
    EXPECT_EQ(form->ComboBox2->editBytes(), "A");
    EXPECT_TRUE(dialogs.failures.empty());
}

// A save killed between naming its temporary file and the rename, in an earlier run.
TEST_F(ListFileCommands, startUp_removesOldSaveLeftoversOnly) {
    writeBytes(path(u".Phrase.log.1a2b3c4d5e6f.tmp"_s), "cut short");
    writeBytes(path(u".Phrase.log.tmp"_s), "mine");
    QTest::qWait(20); // file times tick in steps of a few milliseconds
    makeForm();
    writeBytes(path(u".Mean.log.3w5e11264sgsf.tmp"_s), "another window's save, after our start");
    form->FormActivate();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{u".Mean.log.3w5e11264sgsf.tmp"_s, u".Phrase.log.tmp"_s}));
}

TEST_F(ListFileCommands, startUpWithoutPhraseLog_leavesBothFieldsEmptySilently) {
    writeBytes(path(u"Mean.log"_s), "A\r\n");
    makeForm().FormActivate();
    EXPECT_TRUE(form->ComboBox1->entries().empty());
    EXPECT_TRUE(form->ComboBox2->entries().empty());
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(ListFileCommands, startUpWithoutMeanLog_loadsPrimaryButSelectsNothing) {
    writeBytes(path(u"Phrase.log"_s), "alpha\r\n");
    makeForm().FormActivate();
    EXPECT_EQ(texts(*form->ComboBox1), QStringList{u"alpha"_s});
    EXPECT_EQ(form->ComboBox1->selectedIndex(), -1);
    EXPECT_TRUE(form->ComboBox1->editBytes().isEmpty());
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(ListFileCommands, startUpWithListFileThatCannotBeRead_reportsItOnce) {
    // A folder named Phrase.log: nothing is loaded.
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"Phrase.log"_s));
    makeForm().runCommand(&TForm1::FormActivate);
    EXPECT_TRUE(form->ComboBox1->entries().empty());
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].text,
              u"Cannot open file \""_s + path(u"Phrase.log"_s) + u"\". Is a directory."_s);

    // A FIFO named Mean.log: the primary field is loaded, nothing selected.
    ASSERT_TRUE(QDir(dir.path()).rmdir(u"Phrase.log"_s));
    writeBytes(path(u"Phrase.log"_s), "alpha\r\n");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(u"Mean.log"_s)).constData(), 0644), 0);
    dialogs.failures.clear();
    makeForm().runCommand(&TForm1::FormActivate);
    EXPECT_EQ(texts(*form->ComboBox1), QStringList{u"alpha"_s});
    EXPECT_EQ(form->ComboBox1->selectedIndex(), -1);
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].text,
              u"Cannot open file \""_s + path(u"Mean.log"_s) + u"\". Not a regular file."_s);
}

TEST_F(ListFileCommands, saveFieldsOfEmptyFields_givesTwoEmptyFiles) {
    makeForm();
    trigger("SaveFields1");
    EXPECT_EQ(file(u"Phrase.log"_s), QByteArray(""));
    EXPECT_EQ(file(u"Mean.log"_s), QByteArray(""));
}

TEST_F(ListFileCommands, saveFields_keepsEveryByteOfLoadedEntries) {
    QByteArray bytes;
    for (int b = 1; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            bytes.append(char(b));
    }
    bytes.append("\r\n");
    writeBytes(path(u"Phrase.log"_s), bytes);
    writeBytes(path(u"Mean.log"_s), "\xff\xfe\r\n");
    makeForm().FormActivate();
    trigger("SaveFields1");
    EXPECT_EQ(file(u"Phrase.log"_s), bytes);
    EXPECT_EQ(file(u"Mean.log"_s), "\xff\xfe\r\n");
}

TEST_F(ListFileCommands, saveBoth_writesPrimaryThenSecondaryEntries) {
    makeForm();
    fill(*form->ComboBox1, {u"a"_s, u"b"_s});
    fill(*form->ComboBox2, {u"x"_s});
    trigger("SaveBoth1");
    EXPECT_EQ(file(u"Both.log"_s), "a\r\nb\r\nx\r\n");
}

TEST_F(ListFileCommands, saveActualTwice_collectsBothPairs) {
    makeForm();
    form->ComboBox1->setEditBytes("p1");
    form->ComboBox2->setEditBytes("m1");
    trigger("SaveActual1");
    form->ComboBox1->setEditBytes("p2");
    form->ComboBox2->setEditBytes("m2");
    trigger("SaveActual1");
    EXPECT_EQ(file(u"Actual.log"_s),
              "p1\r\n<<<<TRANSLATE>>>  m1\r\np2\r\n<<<<TRANSLATE>>>  m2\r\n");
}

TEST_F(ListFileCommands, saveBothBetweenTwoSaveActual_replacesTheFirstPair) {
    makeForm();
    fill(*form->ComboBox1, {u"a"_s, u"b"_s});
    fill(*form->ComboBox2, {u"x"_s});
    form->ComboBox1->setEditBytes("p1");
    form->ComboBox2->setEditBytes("m1");
    trigger("SaveActual1");
    trigger("SaveBoth1");
    form->ComboBox1->setEditBytes("p2");
    form->ComboBox2->setEditBytes("m2");
    trigger("SaveActual1");
    EXPECT_EQ(file(u"Actual.log"_s), "a\r\nb\r\nx\r\np2\r\n<<<<TRANSLATE>>>  m2\r\n");
}

TEST_F(ListFileCommands, saveActualWithEmptyAndLongEditTexts_writesOneLineEach) {
    makeForm();
    trigger("SaveActual1");
    EXPECT_EQ(file(u"Actual.log"_s), "\r\n<<<<TRANSLATE>>>  \r\n");
    const QByteArray wide(2000, 'w'); // far wider than the buffer's display width
    form->ComboBox1->setEditBytes(wide);
    trigger("SaveActual1");
    EXPECT_EQ(file(u"Actual.log"_s),
              "\r\n<<<<TRANSLATE>>>  \r\n" + wide + "\r\n<<<<TRANSLATE>>>  \r\n");
}

// Runs in a child process as an unprivileged user: root would ignore the read-only bits.
struct ReadOnlyMeanCase {
    TForm1* form;
    ScriptedDialogs* dialogs;
    QString expectedStart;
};

int saveWithReadOnlyMean(void* context) {
    auto* c = static_cast<ReadOnlyMeanCase*>(context);
    c->form->runCommand(&TForm1::SaveFields1Click);
    if (c->dialogs->failures.size() != 1)
        return 1;
    if (!c->dialogs->failures[0].text.startsWith(c->expectedStart))
        return 2;
    if (fileBytes(u"Phrase.log"_s) != "old\r\n")
        return 3;
    if (fileBytes(u"Mean.log"_s) != "old\r\n")
        return 4;
    return 0;
}

// The pair is saved as a unit: Phrase.log is not replaced when Mean.log cannot be.
TEST_F(ListFileCommands, readOnlyMeanLog_reportsCreateFailureAndLeavesBothFiles) {
    makeForm();
    fill(*form->ComboBox1, {u"new"_s});
    fill(*form->ComboBox2, {u"changed"_s});
    writeBytes(path(u"Phrase.log"_s), "old\r\n");
    writeBytes(path(u"Mean.log"_s), "old\r\n");
    ASSERT_EQ(chmod(QFile::encodeName(path(u"Phrase.log"_s)).constData(), 0666), 0);
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    ASSERT_EQ(chmod(QFile::encodeName(path(u"Mean.log"_s)).constData(), 0444), 0);
    ReadOnlyMeanCase c{form.get(), &dialogs,
                       u"Cannot create file \""_s + path(u"Mean.log"_s) + u"\". "_s};
    EXPECT_EQ(runAsUnprivileged(saveWithReadOnlyMean, &c), 0);
}

// The whole road through the real prompt dialog: type into it as a user would.
TEST_F(ListFileCommands, dataTakeThroughRealPromptDialog_savesTypedEntries) {
    QtDialogs real;
    services.dialogs = &real;
    makeForm();
    real.setOwner(form.get());
    const auto answered = answerRealPrompts({u"hello"_s, u"world"_s});
    form->SpeedButton1->click();
    EXPECT_EQ(*answered, 2);
    EXPECT_EQ(file(u"Phrase.log"_s), "hello\r\n");
    EXPECT_EQ(file(u"Mean.log"_s), "world\r\n");
}

} // namespace
} // namespace quill::test
