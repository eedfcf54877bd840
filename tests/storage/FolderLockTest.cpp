#include "storage/FolderLock.h"
#include "core/Failure.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace quill {
namespace {

using namespace std::chrono_literals;

TEST(FolderLockTest, secondHolderWaitsThenFails_andLockLeavesNoFile) {
    QTemporaryDir dir;
    {
        FolderLock first(dir.path());
        EXPECT_FALSE(FolderLock::isFree(dir.path()));
        // flock locks belong to the open file description: a child process with its own open
        // stands for another window.
        const pid_t child = fork();
        if (child == 0) {
            try {
                FolderLock second(dir.path(), 50ms);
                _exit(1);
            } catch (const Failure& failure) {
                _exit(failure.message().endsWith(QStringLiteral("Folder is busy")) ? 0 : 2);
            }
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_TRUE(FolderLock::isFree(dir.path()));
    EXPECT_TRUE(QDir(dir.path())
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
}

TEST(FolderLockTest, missingFolder_throwsCannotLock) {
    QTemporaryDir dir;
    EXPECT_THROW(FolderLock(dir.filePath(QStringLiteral("gone"))), Failure);
}

} // namespace
} // namespace quill
