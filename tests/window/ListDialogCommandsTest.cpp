#include "dialogs/FileDialog.h"
#include "window/FormFixture.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

class ListDialogCommands : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        ASSERT_TRUE(QDir(dir.path()).mkdir(u"sub"_s));
        sub = QDir(dir.filePath(u"sub"_s)).canonicalPath();
        makeForm();
        fill(*form->ComboBox1, {u"p1"_s, u"p2"_s});
        fill(*form->ComboBox2, {u"m1"_s});
        form->ComboBox1->setEditBytes("typed");
    }
    QString inSub(const QString& name) const { return sub + u'/' + name; }

    QString sub;
};

TEST(FileDialogSettings, filterTextAndDefaultExtension_becomeQtNameFiltersAndSuffix) {
    EXPECT_EQ(nameFilters(u"List Files...|*.lst;*.txt|All Files|*.*"),
              (QStringList{u"List Files... (*.lst *.txt)"_s, u"All Files (*.*)"_s}));
    EXPECT_EQ(defaultSuffix(u"*.log;*.lst"), u"log"_s);
    EXPECT_EQ(defaultSuffix(u"*.rtf"), u"rtf"_s);
    EXPECT_EQ(defaultSuffix(u"*.*"), QString());
}

TEST_F(ListDialogCommands, openList_emptiesFieldReadsFileAndMovesWorkingDirectory) {
    writeBytes(inSub(u"a.lst"_s), "x\ny\r\n");
    dialogs.answerFile(inSub(u"a.lst"_s));
    trigger("OpenList1");
    EXPECT_EQ(texts(*form->ComboBox1), (QStringList{u"x"_s, u"y"_s}));
    EXPECT_EQ(form->ComboBox1->editBytes(), "");
    EXPECT_EQ(QDir::currentPath(), sub);
    EXPECT_EQ(form->OpenDialog1.fileName, inSub(u"a.lst"_s));
    ASSERT_EQ(dialogs.fileShowings.size(), 1u);
    EXPECT_EQ(dialogs.fileShowings[0].dialog, u"OpenDialog1"_s);
}

TEST_F(ListDialogCommands, openListOfMissingFile_leavesPrimaryFieldEmptySilently) {
    dialogs.answerFile(inSub(u"missing.lst"_s));
    trigger("OpenList1");
    EXPECT_TRUE(form->ComboBox1->entries().empty());
    EXPECT_EQ(form->ComboBox1->editBytes(), "");
    EXPECT_TRUE(dialogs.failures.empty());
    EXPECT_EQ(QDir::currentPath(), sub);
}

// Cancelling any showing stops the command there: nothing more is read or written, and the
// cancelled showing moves no folder and changes no memory.
TEST_F(ListDialogCommands, cancelAtEachShowing_stopsThere) {
    struct Case {
        const char* action;
        int confirmedShowings;
        QStringList primary, secondary;
        QByteArray written; // what the confirmed first showing wrote, if any
    };
    const Case cases[] = {
        {"OpenList1", 0, {u"p1"_s, u"p2"_s}, {u"m1"_s}, {}},
        {"SaveListOtherName1", 0, {u"p1"_s, u"p2"_s}, {u"m1"_s}, {}},
        {"Open1", 0, {u"p1"_s, u"p2"_s}, {u"m1"_s}, {}},
        {"Open1", 1, {u"r"_s}, {u"m1"_s}, {}},
        {"Save1", 0, {u"p1"_s, u"p2"_s}, {u"m1"_s}, {}},
        {"Save1", 1, {u"p1"_s, u"p2"_s}, {u"m1"_s}, "p1\r\np2\r\n"},
    };
    writeBytes(inSub(u"read.log"_s), "r\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.action) + " " + std::to_string(c.confirmedShowings));
        form->ComboBox1->replaceAllEntries({});
        fill(*form->ComboBox1, {u"p1"_s, u"p2"_s});
        QDir::setCurrent(dir.path());
        QFile::remove(inSub(u"out.log"_s));
        const bool reads = QByteArrayView(c.action).startsWith("Open");
        dialogs.fileShowings.clear();
        if (c.confirmedShowings == 1)
            dialogs.answerFile(inSub(reads ? u"read.log"_s : u"out.log"_s));
        dialogs.answerFileCancel();
        trigger(c.action);
        EXPECT_EQ(dialogs.fileShowings.size(), std::size_t(c.confirmedShowings + 1));
        EXPECT_EQ(texts(*form->ComboBox1), c.primary);
        EXPECT_EQ(texts(*form->ComboBox2), c.secondary);
        EXPECT_EQ(fileBytes(inSub(u"out.log"_s)), c.written);
        EXPECT_EQ(QDir::currentPath(),
                  c.confirmedShowings ? sub : QDir(dir.path()).canonicalPath());
        EXPECT_EQ(form->ComboBox1->editBytes(), "typed");
    }
    EXPECT_TRUE(form->SaveDialog1.fileName.isEmpty());
    EXPECT_TRUE(form->OpenDialog1.fileName.isEmpty());
}

TEST_F(ListDialogCommands, open_readsPairKeepingEditTextAndSecondShowingStartsWithFirstPath) {
    writeBytes(inSub(u"a.log"_s), "a1\r\na2\r\n");
    writeBytes(path(u"b.log"_s), "b1\r\n");
    dialogs.answerFile(inSub(u"a.log"_s));
    dialogs.answerFile(path(u"b.log"_s));
    trigger("Open1");
    EXPECT_EQ(texts(*form->ComboBox1), (QStringList{u"a1"_s, u"a2"_s}));
    EXPECT_EQ(texts(*form->ComboBox2), QStringList{u"b1"_s});
    EXPECT_EQ(form->ComboBox1->editBytes(), "typed");
    ASSERT_EQ(dialogs.fileShowings.size(), 2u);
    EXPECT_EQ(dialogs.fileShowings[1].startName, inSub(u"a.log"_s));
    EXPECT_EQ(QDir::currentPath(), QDir(dir.path()).canonicalPath());
    // The dialogs remember independently.
    EXPECT_EQ(form->OpenDialog3.fileName, path(u"b.log"_s));
    EXPECT_TRUE(form->SaveDialog3.fileName.isEmpty());
}

TEST_F(ListDialogCommands, openWithMissingFirstFile_endsWithoutSecondShowing) {
    dialogs.answerFile(inSub(u"missing.log"_s));
    dialogs.answerFile(inSub(u"missing.log"_s));
    trigger("Open1");
    EXPECT_EQ(dialogs.fileShowings.size(), 1u);
    EXPECT_EQ(texts(*form->ComboBox1), (QStringList{u"p1"_s, u"p2"_s}));
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(ListDialogCommands, saveSameFileTwice_leavesSecondaryListInIt) {
    dialogs.answerFile(inSub(u"pair.log"_s));
    dialogs.answerFile(inSub(u"pair.log"_s));
    trigger("Save1");
    EXPECT_EQ(fileBytes(inSub(u"pair.log"_s)), "m1\r\n");
    EXPECT_EQ(QDir::currentPath(), sub);
}

TEST_F(ListDialogCommands, saveListOtherName_writesPrimaryAndRemembersFilterEntry) {
    dialogs.answerFile(inSub(u"all.txt"_s), 7);
    trigger("SaveListOtherName1");
    trigger("SaveListOtherName1"); // unscripted: cancelled
    EXPECT_EQ(fileBytes(inSub(u"all.txt"_s)), "p1\r\np2\r\n");
    ASSERT_EQ(dialogs.fileShowings.size(), 2u);
    EXPECT_EQ(dialogs.fileShowings[1].startName, inSub(u"all.txt"_s));
    EXPECT_EQ(dialogs.fileShowings[1].startFilter, 7);
    EXPECT_EQ(QDir::currentPath(), sub);
}

TEST_F(ListDialogCommands, saveToWriteProtectedFile_reportsCreateFailureBeforeSecondShowing) {
    writeBytes(inSub(u"locked.log"_s), "old\r\n");
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    ASSERT_EQ(chmod(QFile::encodeName(sub).constData(), 0777), 0);
    ASSERT_EQ(chmod(QFile::encodeName(inSub(u"locked.log"_s)).constData(), 0444), 0);
    dialogs.answerFile(inSub(u"locked.log"_s));
    dialogs.answerFile(inSub(u"other.log"_s));
    const int result = runAsUnprivileged([&] {
        form->runCommand(&TForm1::Save1Click);
        if (dialogs.failures.size() != 1 || dialogs.fileShowings.size() != 1)
            return 1;
        if (dialogs.failures[0].text !=
            u"Cannot create file \"%1\". Permission denied."_s.arg(inSub(u"locked.log"_s)))
            return 2;
        if (form->SaveDialog3.fileName != inSub(u"locked.log"_s))
            return 3;
        return fileBytes(inSub(u"locked.log"_s)) == "old\r\n" ? 0 : 4;
    });
    EXPECT_EQ(result, 0);
}

} // namespace
} // namespace quill::test
