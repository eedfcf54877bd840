#include "window/ListingCommands.h"
#include "dialogs/QtDialogs.h"
#include "listings/FolderTree.h"
#include "window/FormFixture.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;
using Lines = std::vector<QByteArray>;

QByteArray listBytes(const Lines& lines) {
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

class ListingCommands : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        start = QFile::encodeName(QDir(dir.path()).canonicalPath());
        services.folders = {tree.folder("root"), tree.folder("opt"), tree.folder("usrbin")};
        services.folders.listingCache = tree.folder("cache") + "/Quillbook";
    }

    static Lines primary(const FieldCombo& field) { return toVector(field.entries()); }
    QByteArray listing(QByteArrayView folder, const char* name) const {
        return fileBytes(QFile::decodeName(tree.path(folder) + '/' + name));
    }
    void fillBoth() {
        fill(*form->ComboBox1, {u"old"_s});
        form->ComboBox1->setEditBytes("typed");
        fill(*form->ComboBox2, {u"meaning"_s});
        form->ComboBox2->setEditBytes("meant");
    }
    void expectBothCleared() {
        EXPECT_TRUE(form->ComboBox1->editBytes().isEmpty());
        EXPECT_TRUE(form->ComboBox2->entries().empty());
        EXPECT_TRUE(form->ComboBox2->editBytes().isEmpty());
    }
    QStringList failureTexts() const { return dialogs.failureTexts(); }

    FolderTree tree;
    QByteArray start;
};

TEST_F(ListingCommands, rootDirectoryList_clearsBothFieldsAndListsRootInItsDirLog) {
    tree.folder("root/b");
    tree.folder("root/A");
    tree.folder("root/.hidden");
    tree.file("root/file.txt");
    makeForm();
    fillBoth();

    trigger("DirectoryList1");

    const Lines expected = concat(pathLines(tree.path("root")), {"A", "b"});
    EXPECT_EQ(listing("root", "dir.log"), listBytes(expected));
    EXPECT_EQ(primary(*form->ComboBox1), expected);
    expectBothCleared();
    EXPECT_EQ(workingDirectory(), tree.path("root"));
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(ListingCommands, programFilesList_writesDirLogIntoThatFolder) {
    tree.folder("opt/tool");
    makeForm();
    trigger("ProgramFilesList1");
    EXPECT_EQ(listing("opt", "dir.log"), listBytes(concat(pathLines(tree.path("opt")), {"tool"})));
    EXPECT_EQ(primary(*form->ComboBox1).back(), "tool");
}

TEST_F(ListingCommands, chooseDirectory_asksAndListsFolderHoldingNamedFile) {
    tree.folder("root/sub");
    tree.file("root/notes.txt");
    makeForm();
    dialogs.answerOk(QFile::decodeName(tree.path("root/notes.txt")));

    trigger("ChooseaDirectory1");

    ASSERT_EQ(dialogs.prompts.size(), 1u);
    EXPECT_EQ(dialogs.prompts[0].caption, u"Choose Directory"_s);
    EXPECT_EQ(dialogs.prompts[0].label, u"Directory Label:"_s);
    EXPECT_TRUE(dialogs.prompts[0].text.isEmpty());
    EXPECT_EQ(listing("root", "dir.log"), listBytes(concat(pathLines(tree.path("root")), {"sub"})));
}

TEST_F(ListingCommands, chooseDirectoryInBrackets_listsFolderOfWorkingDirectory) {
    tree.folder("root/inner");
    makeForm();
    ASSERT_TRUE(QDir::setCurrent(QFile::decodeName(tree.root())));
    dialogs.answerOk(u"[root]"_s);
    trigger("ChooseaDirectory1");
    EXPECT_EQ(primary(*form->ComboBox1), concat(pathLines(tree.path("root")), {"inner"}));
}

TEST_F(ListingCommands, missingFolder_reportsFailureAndWritesNothing) {
    makeForm();
    for (const char* command : {"ChooseaDirectory1", "Any1"}) {
        fillBoth();
        dialogs.failures.clear();
        dialogs.answerOk(QFile::decodeName(tree.path("missing")));
        trigger(command);
        EXPECT_EQ(failureTexts(), QStringList{u"File not found."_s}) << command;
        EXPECT_TRUE(form->ComboBox1->entries().empty()) << command;
        expectBothCleared();
        EXPECT_EQ(workingDirectory(), start) << command;
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(ListingCommands, cancel_clearsBothFieldsAndLoadsHeldListing) {
    writeBytes(path(u"start.txt"_s), "");
    tree.folder("root/kept");
    makeForm();

    // Before any listing the file listing holds the folder the window started in.
    fillBoth();
    dialogs.answerCancel();
    trigger("Any1");
    EXPECT_EQ(primary(*form->ComboBox1), Lines{"start.txt"});
    EXPECT_EQ(file(u"files.log"_s), "start.txt\r\n");
    expectBothCleared();

    trigger("DirectoryList1");
    fillBoth();
    dialogs.answerCancel();
    trigger("ChooseaDirectory1");
    EXPECT_EQ(primary(*form->ComboBox1), concat(pathLines(tree.path("root")), {"kept"}));
    expectBothCleared();

    // An empty answer is no failure either: the held listing is written again.
    dialogs.answerOk(QString());
    trigger("ChooseaDirectory1");
    EXPECT_EQ(primary(*form->ComboBox1), concat(pathLines(tree.path("root")), {"kept"}));
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(ListingCommands, firstListingReadOnDemand_makesStartFolderTheWorkingDirectory) {
    writeBytes(path(u"start.txt"_s), "");
    // The directory listing moves the working directory away first; then a cancelled or empty
    // answer reads the file listing from the start folder, where "files.log" lands.
    for (const bool cancel : {true, false}) {
        makeForm();
        trigger("DirectoryList1");
        ASSERT_EQ(workingDirectory(), tree.path("root"));
        if (cancel)
            dialogs.answerCancel();
        else
            dialogs.answerOk(QString());
        trigger("Any1");
        EXPECT_EQ(workingDirectory(), start) << cancel;
        EXPECT_EQ(file(u"files.log"_s), "start.txt\r\n") << cancel;
        EXPECT_TRUE(listing("root", "files.log").isNull()) << cancel;
        ASSERT_TRUE(QDir::setCurrent(dir.path()));
        ASSERT_TRUE(QFile::remove(path(u"files.log"_s)));
    }
}

TEST_F(ListingCommands, rootAndWindowsFiles_changeOnlyPrimaryEntries) {
    tree.file("root/B.txt");
    tree.file("root/a.txt");
    tree.file("root/.hidden");
    tree.folder("root/sub");
    tree.file("usrbin/sh");
    makeForm();
    fillBoth();

    trigger("Root1");
    EXPECT_EQ(primary(*form->ComboBox1), (Lines{".hidden", "a.txt", "B.txt"}));
    EXPECT_EQ(listing("root", "files.log"), ".hidden\r\na.txt\r\nB.txt\r\n");
    EXPECT_EQ(form->ComboBox1->editBytes(), "typed");
    EXPECT_EQ(primary(*form->ComboBox2), Lines{"meaning"});
    EXPECT_EQ(form->ComboBox2->editBytes(), "meant");

    trigger("Windows1");
    EXPECT_EQ(primary(*form->ComboBox1), Lines{"sh"});
    EXPECT_EQ(listing("usrbin", "files.log"), "sh\r\n");
    EXPECT_EQ(workingDirectory(), tree.path("usrbin"));
}

TEST_F(ListingCommands, anyWithPatterns_patternStaysForRootFiles) {
    for (const char* name : {"usrbin/tool.exe", "usrbin/lib.dll", "usrbin/readme", "root/boot.exe",
                             "root/x.txt", "root/Setup.DLL"})
        tree.file(name);
    makeForm();

    dialogs.answerOk(QFile::decodeName(tree.path("usrbin/*.exe")));
    trigger("Any1");
    EXPECT_EQ(primary(*form->ComboBox1), Lines{"tool.exe"});
    trigger("Root1");
    EXPECT_EQ(primary(*form->ComboBox1), Lines{"boot.exe"});

    dialogs.answerOk(QFile::decodeName(tree.path("usrbin/*.exe;*.dll")));
    trigger("Any1");
    EXPECT_EQ(primary(*form->ComboBox1), (Lines{"lib.dll", "tool.exe"}));
    trigger("Root1");
    EXPECT_EQ(primary(*form->ComboBox1), (Lines{"boot.exe", "Setup.DLL"}));
}

TEST_F(ListingCommands, heldFolderListedAgain_doesNotShowNewEntries) {
    tree.file("usrbin/first");
    makeForm();
    trigger("Windows1");
    tree.file("usrbin/second");
    trigger("Windows1");
    EXPECT_EQ(primary(*form->ComboBox1), Lines{"first"});

    trigger("DirectoryList1");
    tree.folder("root/late");
    trigger("DirectoryList1");
    EXPECT_EQ(primary(*form->ComboBox1), pathLines(tree.path("root")));
}

TEST_F(ListingCommands, saveFieldsAfterListing_writesIntoListedFolder) {
    tree.file("root/entry");
    makeForm();
    trigger("Root1");
    fill(*form->ComboBox2, {u"meaning"_s});
    trigger("SaveFields1");
    EXPECT_EQ(listing("root", "Phrase.log"), "entry\r\n");
    EXPECT_EQ(listing("root", "Mean.log"), "meaning\r\n");
    EXPECT_TRUE(file(u"Phrase.log"_s).isNull());
}

TEST_F(ListingCommands, strangeNames_reachFilesLogByteForByte) {
    for (const char* name :
         {"root/raw\xff\xfe.txt", "root/line\nbreak", "root/with blank", "root/\xc3\xa9t\xc3\xa9"})
        tree.file(name);
    tree.link("with blank", "root/link");
    tree.link("nowhere", "root/dangling");
    makeForm();
    trigger("Root1");
    const Lines expected{"line?break", "link", "raw\xff\xfe.txt", "with blank",
                         "\xc3\xa9t\xc3\xa9"};
    EXPECT_EQ(listing("root", "files.log"), listBytes(expected));
    EXPECT_EQ(primary(*form->ComboBox1), expected);
}

TEST_F(ListingCommands, listingFileCannotBeCreated_reportsAndKeepsEverything) {
    tree.file("root/entry");
    tree.folder("root/files.log"); // a folder in the way of the listing file
    makeForm();
    fillBoth();

    trigger("Root1");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_TRUE(dialogs.failures[0].text.startsWith(
        u"Cannot create file \""_s + QFile::decodeName(tree.path("root")) + u"/files.log\". "_s));
    EXPECT_EQ(primary(*form->ComboBox1), Lines{"old"});
    EXPECT_EQ(workingDirectory(), start);
    EXPECT_EQ(form->listings().FileListBox1.directory(), start);

    // The listing did not keep the folder, so the next try reads it again.
    ASSERT_TRUE(QDir().rmdir(QFile::decodeName(tree.path("root/files.log"))));
    tree.file("root/later");
    trigger("Root1");
    EXPECT_EQ(primary(*form->ComboBox1), (Lines{"entry", "later"}));

    tree.folder("opt/dir.log");
    dialogs.failures.clear();
    trigger("ProgramFilesList1");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_TRUE(dialogs.failures[0].text.startsWith(u"Cannot create file \""_s));
    EXPECT_TRUE(form->ComboBox1->entries().empty());
    EXPECT_EQ(workingDirectory(), tree.path("root"));
    EXPECT_EQ(form->listings().DirectoryListBox1.directory(), start);
}

TEST_F(ListingCommands, manyFiles_restoreTheCursorAfterReading) {
    for (int i = 0; i < 150; ++i)
        tree.file("usrbin/f" + QByteArray::number(1000 + i));
    makeForm();
    trigger("Windows1");
    EXPECT_EQ(form->ComboBox1->entries().size(), 150);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// Runs in a child process as an unprivileged user: root would ignore the permission bits.
struct PermissionCase {
    TForm1* form;
    ScriptedDialogs* dialogs;
    FolderTree* tree;
    QByteArray start;
};

int listWithoutPermission(void* context) {
    auto* c = static_cast<PermissionCase*>(context);
    // A folder that cannot be read.
    c->dialogs->answerOk(QFile::decodeName(c->tree->path("root/unreadable")));
    c->form->runCommand(&TForm1::ChooseaDirectory1Click);
    if (c->dialogs->failures.size() != 1 ||
        c->dialogs->failures[0].text != u"File access denied."_s)
        return 1;
    if (workingDirectory() != c->start || !c->form->ComboBox1->entries().empty())
        return 2;
    // A folder that can be read but not written: "files.log" goes to the cache folder, and the
    // working directory still moves there.
    c->dialogs->answerOk(QFile::decodeName(c->tree->path("root/readonly")));
    c->form->runCommand(&TForm1::Any1Click);
    if (c->dialogs->failures.size() != 1 || workingDirectory() != c->tree->path("root/readonly"))
        return 3;
    if (toVector(c->form->ComboBox1->entries()) != Lines{"entry"} ||
        fileBytes(QFile::decodeName(c->tree->path("cache/Quillbook/files.log"))) != "entry\r\n")
        return 4;
    if (QFile::exists(QFile::decodeName(c->tree->path("root/readonly/files.log"))))
        return 5;
    return 0;
}

TEST_F(ListingCommands, foldersWithoutPermission_reportAndRestoreWorkingDirectory) {
    tree.folder("root/unreadable");
    tree.folder("root/readonly");
    tree.file("root/readonly/entry");
    tree.setMode("root/unreadable", 0311);
    tree.setMode("root/readonly", 0555);
    ASSERT_EQ(::chmod(start.constData(), 0777), 0);
    makeForm();
    PermissionCase c{form.get(), &dialogs, &tree, start};
    EXPECT_EQ(runAsUnprivileged(listWithoutPermission, &c), 0);
}

TEST_F(ListingCommands, fixedFoldersRefusingWrites_listThroughTheCacheFolder) {
    tree.file("root/entry");
    tree.folder("root/sub");
    tree.setMode("root", 0555);
    makeForm();
    const auto cached = [this](const char* name) {
        return fileBytes(QFile::decodeName(tree.path("cache/Quillbook/") + name));
    };
    EXPECT_EQ(runAsUnprivileged([&] {
                  form->runCommand(&TForm1::Root1Click);
                  if (!dialogs.failures.empty() || primary(*form->ComboBox1) != Lines{"entry"})
                      return 1;
                  form->runCommand(&TForm1::DirectoryList1Click);
                  const Lines lines = concat(pathLines(tree.path("root")), {"sub"});
                  if (!dialogs.failures.empty() || primary(*form->ComboBox1) != lines)
                      return 2;
                  if (cached("files.log") != "entry\r\n" || cached("dir.log") != listBytes(lines))
                      return 3;
                  // The listed folder is the working directory: a save there fails on its own.
                  form->runCommand(&TForm1::SaveFields1Click);
                  if (workingDirectory() != tree.path("root") || dialogs.failures.size() != 1 ||
                      !dialogs.failures[0].text.startsWith(u"Cannot create file \""_s +
                                                           QFile::decodeName(tree.path("root"))))
                      return 4;
                  return 0;
              }),
              0);
    EXPECT_FALSE(QFile::exists(QFile::decodeName(tree.path("root/files.log"))));
}

// The whole road through the real prompt dialog: type the folder as a user would.
TEST_F(ListingCommands, chooseDirectoryThroughRealPromptDialog_listsTypedFolder) {
    tree.folder("root/typed");
    QtDialogs real;
    services.dialogs = &real;
    makeForm();
    real.setOwner(form.get());
    const auto answered = answerRealPrompts({QFile::decodeName(tree.path("root"))});
    trigger("ChooseaDirectory1");
    EXPECT_EQ(*answered, 1);
    EXPECT_EQ(primary(*form->ComboBox1), concat(pathLines(tree.path("root")), {"typed"}));
}

} // namespace
} // namespace quill::test
