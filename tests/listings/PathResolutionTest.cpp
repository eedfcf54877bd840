#include "listings/PathResolution.h"

#include "FolderTree.h"
#include "listings/IoFailure.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

using test::FolderTree;
using test::workingDirectory;

class PathResolutionTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.folder("docs");
        tree.file("docs/a.txt");
        tree.folder("with blank");
        tree.file("top.txt");
        tree.link("docs", "docs-link");
        tree.link("nowhere", "dangling");
        ASSERT_EQ(::chdir(tree.root().constData()), 0);
    }

    QString failureOf(QByteArrayView path) {
        try {
            resolvePath(path);
        } catch (const IoFailure& failure) {
            return failure.message();
        }
        return {};
    }

    FolderTree tree;
};

TEST_F(PathResolutionTest, typedPaths_giveFolderAndLastPart) {
    const struct {
        QByteArray typed;
        QByteArray directory;
        QByteArray lastPart;
    } rows[] = {
        {tree.path("docs"), tree.path("docs"), ""},
        {tree.path("docs/"), tree.path("docs"), ""},
        {tree.path("docs/a.txt"), tree.path("docs"), "a.txt"},
        {tree.path("docs/*.txt"), tree.path("docs"), "*.txt"},
        {tree.path("docs/*.txt;*.md"), tree.path("docs"), "*.txt;*.md"},
        {tree.path("with blank"), tree.path("with blank"), ""},
        // Relative names and the bracket form start at the working directory.
        {"docs", tree.path("docs"), ""},
        {"[docs]", tree.path("docs"), ""},
        {"[with blank]", tree.path("with blank"), ""},
        {"top.txt", tree.root(), "top.txt"},
        {"*.log", tree.root(), "*.log"},
        {"docs/a.txt", tree.path("docs"), "a.txt"},
        // A link to a folder leads to the folder as the system spells it.
        {tree.path("docs-link"), tree.path("docs"), ""},
        {"/", "/", ""},
    };
    for (const auto& row : rows) {
        const ResolvedPath resolved = resolvePath(row.typed);
        EXPECT_EQ(resolved.directory, row.directory) << row.typed.constData();
        EXPECT_EQ(resolved.lastPart, row.lastPart) << row.typed.constData();
        EXPECT_EQ(workingDirectory(), tree.root()) << row.typed.constData();
    }
}

TEST_F(PathResolutionTest, pathsThatLeadNowhere_failAndKeepWorkingDirectory) {
    const struct {
        QByteArray typed;
        QString message;
    } rows[] = {
        {tree.path("missing"), u"File not found"_s},
        {tree.path("missing/deeper/*.txt"), u"File not found"_s},
        {"[missing]", u"File not found"_s},
        {tree.path("dangling"), u"File not found"_s},
        {tree.path("top.txt/inner"), u"Invalid filename"_s},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(failureOf(row.typed), row.message) << row.typed.constData();
        EXPECT_EQ(workingDirectory(), tree.root()) << row.typed.constData();
    }
}

TEST_F(PathResolutionTest, bracketForm_alwaysNamesFolder) {
    tree.file("docs/b.md");
    // Brackets stand for a folder: a file or a pattern between them is no folder to enter.
    const struct {
        QByteArray typed;
        QString message;
    } rows[] = {
        {"[top.txt]", u"Invalid filename"_s},
        {"[docs/a.txt]", u"Invalid filename"_s},
        {"[*.txt]", u"File not found"_s},
        {"[docs/*.md]", u"File not found"_s},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(failureOf(row.typed), row.message) << row.typed.constData();
        EXPECT_EQ(workingDirectory(), tree.root()) << row.typed.constData();
    }
    const ResolvedPath nested = resolvePath("[docs/]");
    EXPECT_EQ(nested.directory, tree.path("docs"));
    EXPECT_TRUE(nested.lastPart.isEmpty());
}

int resolveLockedFolder(void* context) {
    const auto* tree = static_cast<const FolderTree*>(context);
    if (::chdir(tree->root().constData()) != 0)
        return 10;
    try {
        resolvePath(tree->path("locked/inner"));
    } catch (const IoFailure& failure) {
        if (failure.message() != u"File access denied"_s)
            return 11;
        return test::workingDirectory() == tree->root() ? 0 : 12;
    }
    return 13;
}

TEST_F(PathResolutionTest, folderWithoutSearchPermission_failsWithAccessDenied) {
    tree.folder("locked");
    tree.folder("locked/inner");
    tree.setMode("locked", 0);
    EXPECT_EQ(test::runAsUnprivileged(resolveLockedFolder, &tree), 0);
}

} // namespace
} // namespace quill
