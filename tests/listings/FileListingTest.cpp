#include "listings/FileListing.h"

#include "FolderTree.h"
#include "listings/IoFailure.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

using test::FolderTree;
using test::toVector;
using test::workingDirectory;
using Lines = std::vector<QByteArray>;

class FileListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.folder("list");
        tree.folder("other");
        ASSERT_EQ(::chdir(tree.root().constData()), 0);
    }

    FolderTree tree;
    FileListing listing{QLocale::c()};
};

TEST_F(FileListingTest, everyNonFolderEntry_isListedSortedIgnoringCase) {
    for (const char* name : {"b.txt", "A.txt", "a.txt", ".hidden", "Makefile", "with blank.md",
                             "raw\xff.bin", "line\nbreak"})
        tree.file(QByteArray("list/") + name);
    tree.fifo("list/pipe");
    tree.folder("list/folder.d");
    tree.folder("list/.git");
    tree.link("b.txt", "list/to-file");
    tree.link("folder.d", "list/to-folder");
    tree.link("nowhere", "list/dangling");

    listing.pointAt(tree.path("list"));

    EXPECT_EQ(toVector(listing.lines()),
              (Lines{".hidden", "A.txt", "a.txt", "b.txt", "line?break", "Makefile", "pipe",
                     "raw\xff.bin", "to-file", "with blank.md"}));
    EXPECT_EQ(listing.pattern(), "*.*");
    EXPECT_EQ(workingDirectory(), tree.path("list"));
}

TEST_F(FileListingTest, severalPatterns_giveOneSortedListWithRepeats) {
    for (const char* name : {"tool.exe", "lib.dll", "Alpha.DLL", "notes.txt", "app.exe"})
        tree.file(QByteArray("list/") + name);

    listing.pointAt(tree.path("list/*.exe;*.dll"));
    EXPECT_EQ(toVector(listing.lines()), (Lines{"Alpha.DLL", "app.exe", "lib.dll", "tool.exe"}));

    // A file matching two patterns is listed twice.
    listing.pointAt(tree.path("list/*.exe;a*"));
    EXPECT_EQ(toVector(listing.lines()), (Lines{"Alpha.DLL", "app.exe", "app.exe", "tool.exe"}));
    EXPECT_EQ(listing.pattern(), "*.exe;a*");
}

TEST_F(FileListingTest, patternStays_forTheNextFolder) {
    tree.file("list/run.sh");
    tree.file("other/setup.sh");
    tree.file("other/readme");

    listing.pointAt(tree.path("list/*.sh"));
    listing.pointAt(tree.path("other"));

    EXPECT_EQ(toVector(listing.lines()), (Lines{"setup.sh"}));
    EXPECT_EQ(workingDirectory(), tree.path("other"));
}

TEST_F(FileListingTest, heldFolderAskedAgain_isNotReadAgain) {
    tree.file("list/first");
    listing.pointAt(tree.path("list"));
    tree.file("list/second");
    ASSERT_EQ(::chdir(tree.root().constData()), 0);

    listing.pointAt(tree.path("list"));
    EXPECT_EQ(toVector(listing.lines()), (Lines{"first"}));
    EXPECT_EQ(workingDirectory(), tree.root());

    // A new pattern reads the same folder again, and moves there.
    listing.pointAt(tree.path("list/*"));
    EXPECT_EQ(toVector(listing.lines()), (Lines{"first", "second"}));
    EXPECT_EQ(workingDirectory(), tree.path("list"));
}

TEST_F(FileListingTest, pathNamingFile_selectsItsLine) {
    tree.file("list/A.txt");
    tree.file("list/a.txt");
    tree.file("list/z.txt");

    listing.pointAt(tree.path("list/a.txt"));
    ASSERT_EQ(toVector(listing.lines()), (Lines{"A.txt", "a.txt", "z.txt"}));
    EXPECT_EQ(listing.selected(), 1);
    EXPECT_EQ(listing.selectedPath(), tree.path("list/a.txt"));

    // The file of the held folder is found while the working directory is elsewhere.
    ASSERT_EQ(::chdir(tree.path("other").constData()), 0);
    listing.pointAt(tree.path("list/z.txt"));
    EXPECT_EQ(listing.selected(), 2);
    EXPECT_EQ(workingDirectory(), tree.path("other"));
}

TEST_F(FileListingTest, fileLeftOutByPattern_becomesThePattern) {
    tree.file("list/keep.txt");
    tree.file("list/data.bin");
    listing.pointAt(tree.path("list/*.txt"));

    listing.pointAt(tree.path("list/data.bin"));
    EXPECT_EQ(toVector(listing.lines()), (Lines{"data.bin"}));
    EXPECT_EQ(listing.pattern(), "data.bin");
    EXPECT_EQ(listing.selected(), 0);
}

TEST_F(FileListingTest, missingFolder_keepsListingAndWorkingDirectory) {
    tree.file("list/kept");
    listing.pointAt(tree.path("list/*"));
    ASSERT_EQ(::chdir(tree.root().constData()), 0);

    try {
        listing.pointAt(tree.path("missing/*.txt"));
        FAIL() << "no failure";
    } catch (const IoFailure& failure) {
        EXPECT_EQ(failure.message(), u"File not found"_s);
    }
    EXPECT_EQ(listing.directory(), tree.path("list"));
    EXPECT_EQ(listing.pattern(), "*");
    EXPECT_EQ(toVector(listing.lines()), (Lines{"kept"}));
    EXPECT_EQ(workingDirectory(), tree.root());
}

TEST_F(FileListingTest, busyHandler_toldFromTheHundredFirstLine) {
    for (const int count : {100, 101, 150}) {
        const QByteArray folder = "many" + QByteArray::number(count);
        tree.folder(folder);
        for (int i = 0; i < count; ++i)
            tree.file(folder + "/f" + QByteArray::number(i));

        std::vector<bool> calls;
        listing.setBusyHandler([&](bool busy) { calls.push_back(busy); });
        listing.pointAt(tree.path(folder));
        EXPECT_EQ(listing.lines().size(), count);
        if (count > 100)
            EXPECT_EQ(calls, (std::vector<bool>{true, false})) << count;
        else
            EXPECT_TRUE(calls.empty()) << count;
    }
}

TEST_F(FileListingTest, beforeAnyPointing_linesComeFromStartFolder) {
    tree.file("list/start");
    ASSERT_EQ(::chdir(tree.path("list").constData()), 0);
    FileListing fresh{QLocale::c()};
    EXPECT_EQ(toVector(fresh.lines()), (Lines{"start"}));
}

int listLockedFolder(void* context) {
    auto* tree = static_cast<FolderTree*>(context);
    if (::chdir(tree->root().constData()) != 0)
        return 10;
    FileListing listing{QLocale::c()};
    for (const char* name : {"list/unreadable", "list/locked"}) {
        try {
            listing.pointAt(tree->path(name));
            return 11;
        } catch (const IoFailure& failure) {
            if (failure.message() != u"File access denied"_s)
                return 12;
            if (test::workingDirectory() != tree->root() || listing.directory() != tree->root())
                return 13;
        }
    }
    return 0;
}

TEST_F(FileListingTest, foldersWithoutPermission_failWithAccessDenied) {
    tree.folder("list/unreadable");
    tree.file("list/unreadable/secret");
    tree.folder("list/locked");
    tree.setMode("list/unreadable", 0311);
    tree.setMode("list/locked", 0);
    EXPECT_EQ(test::runAsUnprivileged(listLockedFolder, &tree), 0);
}

} // namespace
} // namespace quill
