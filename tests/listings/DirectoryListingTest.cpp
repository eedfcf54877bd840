#include "listings/DirectoryListing.h"

#include "FolderTree.h"
#include "listings/IoFailure.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

using test::concat;
using test::FolderTree;
using test::pathLines;
using test::toVector;
using test::workingDirectory;
using Lines = std::vector<QByteArray>;

class DirectoryListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.folder("list");
        ASSERT_EQ(::chdir(tree.root().constData()), 0);
    }

    FolderTree tree;
    DirectoryListing listing{QLocale::c()};
};

TEST_F(DirectoryListingTest, newFolder_givesPathPartsThenVisibleFoldersIgnoringCase) {
    tree.folder("list/b");
    tree.folder("list/A");
    tree.folder("list/.hidden");
    tree.folder("list/with blank");
    tree.folder("list/Docs");
    tree.folder("list/docs");
    tree.file("list/file.txt");
    tree.file("list/.profile");
    tree.fifo("list/pipe");
    tree.link("b", "list/c-link");
    tree.link("file.txt", "list/file-link");
    tree.link("nowhere", "list/dangling");

    listing.pointAt(tree.path("list"));

    // Folders that differ only in case are two folders here; a link to a folder is a folder.
    EXPECT_EQ(
        toVector(listing.lines()),
        concat(pathLines(tree.path("list")), {"A", "b", "c-link", "Docs", "docs", "with blank"}));
    EXPECT_EQ(listing.directory(), tree.path("list"));
    EXPECT_EQ(workingDirectory(), tree.path("list"));
}

TEST_F(DirectoryListingTest, strangeNames_stayOneLineEach) {
    tree.folder("list/line\nbreak");
    tree.folder("list/carriage\rreturn");
    tree.folder("list/raw\xff\xfe");
    tree.folder("list/line\nbreak/inner");

    listing.pointAt(tree.path("list"));
    EXPECT_EQ(toVector(listing.lines()), concat(pathLines(tree.path("list")),
                                                {"carriage?return", "line?break", "raw\xff\xfe"}));

    // The folder's own path parts are shown the same way.
    listing.pointAt(tree.path("list/line\nbreak"));
    const Lines lines = toVector(listing.lines());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 2], "line?break");
    EXPECT_EQ(lines.back(), "inner");
}

TEST_F(DirectoryListingTest, rootFolder_givesSingleRootLine) {
    listing.pointAt("/");
    const Lines lines = toVector(listing.lines());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "/");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), QByteArray("/")), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), QByteArray()), 0);
    EXPECT_EQ(workingDirectory(), "/");
}

TEST_F(DirectoryListingTest, heldFolderAskedAgain_isNotReadAgain) {
    tree.folder("list/one");
    listing.pointAt(tree.path("list"));
    const Lines first = toVector(listing.lines());

    tree.folder("list/two");
    ASSERT_EQ(::chdir(tree.root().constData()), 0);
    listing.pointAt(tree.path("list"));

    EXPECT_EQ(toVector(listing.lines()), first);
    // Nothing was read, so the working directory did not move either.
    EXPECT_EQ(workingDirectory(), tree.root());

    // Another spelling of the same folder reads it anew.
    listing.pointAt(tree.path("list/"));
    EXPECT_EQ(toVector(listing.lines()), concat(pathLines(tree.path("list")), {"one", "two"}));
}

TEST_F(DirectoryListingTest, pathNamingFile_listsHoldingFolder) {
    tree.folder("list/sub");
    tree.file("list/notes.txt");
    listing.pointAt(tree.path("list/notes.txt"));
    EXPECT_EQ(listing.directory(), tree.path("list"));
    EXPECT_EQ(toVector(listing.lines()), concat(pathLines(tree.path("list")), {"sub"}));
}

TEST_F(DirectoryListingTest, bracketForm_listsFolderOfWorkingDirectory) {
    tree.folder("list/sub");
    listing.pointAt("[list]");
    EXPECT_EQ(listing.directory(), tree.path("list"));
    EXPECT_EQ(toVector(listing.lines()), concat(pathLines(tree.path("list")), {"sub"}));
}

TEST_F(DirectoryListingTest, missingFolder_keepsListingAndWorkingDirectory) {
    tree.folder("list/sub");
    listing.pointAt(tree.path("list"));
    const Lines held = toVector(listing.lines());
    ASSERT_EQ(::chdir(tree.root().constData()), 0);

    // A byte 0 must not cut the name short to the folder before it.
    for (const QByteArray& path :
         {tree.path("missing"), tree.path("list") + QByteArray("\0sub", 4)}) {
        try {
            listing.pointAt(path);
            FAIL() << "no failure";
        } catch (const IoFailure& failure) {
            EXPECT_EQ(failure.message(), u"File not found"_s);
        }
    }
    EXPECT_EQ(listing.directory(), tree.path("list"));
    EXPECT_EQ(toVector(listing.lines()), held);
    EXPECT_EQ(workingDirectory(), tree.root());
}

TEST_F(DirectoryListingTest, beforeAnyPointing_linesComeFromStartFolder) {
    tree.folder("list/sub");
    ASSERT_EQ(::chdir(tree.path("list").constData()), 0);
    DirectoryListing fresh{QLocale::c()};
    ASSERT_EQ(::chdir(tree.root().constData()), 0);

    EXPECT_EQ(toVector(fresh.lines()), concat(pathLines(tree.path("list")), {"sub"}));
    EXPECT_EQ(workingDirectory(), tree.root());
}

TEST_F(DirectoryListingTest, localeCollation_ordersAccentsBesideTheirLetters) {
    for (const char* name : {"zebra", "\xc3\x84pfel", "apfel", "Birne"})
        tree.folder(QByteArray("list/") + name);
    DirectoryListing german{QLocale(QLocale::German, QLocale::Germany)};
    german.pointAt(tree.path("list"));
    EXPECT_EQ(toVector(german.lines()),
              concat(pathLines(tree.path("list")), {"apfel", "\xc3\x84pfel", "Birne", "zebra"}));
}

int listUnreadableFolder(void* context) {
    auto* tree = static_cast<FolderTree*>(context);
    if (::chdir(tree->root().constData()) != 0)
        return 10;
    DirectoryListing listing{QLocale::c()};
    try {
        listing.pointAt(tree->path("list/unreadable"));
    } catch (const IoFailure& failure) {
        if (failure.message() != u"File access denied"_s)
            return 11;
        if (listing.directory() != tree->root())
            return 12;
        return test::workingDirectory() == tree->root() ? 0 : 13;
    }
    return 14;
}

TEST_F(DirectoryListingTest, folderWithoutReadPermission_failsWithAccessDenied) {
    tree.folder("list/unreadable");
    tree.folder("list/unreadable/inner");
    // Search permission only: the folder can be entered but not read.
    tree.setMode("list/unreadable", 0311);
    EXPECT_EQ(test::runAsUnprivileged(listUnreadableFolder, &tree), 0);
}

} // namespace
} // namespace quill
