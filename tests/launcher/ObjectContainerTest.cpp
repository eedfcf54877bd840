#include "launcher/ObjectContainer.h"
#include "launcher/LaunchFailure.h"
#include "launcher/RecordingStarter.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;
using Kind = ContainedObject::Kind;

class ObjectContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = QFile::encodeName(QDir(dir.path()).canonicalPath());
        cwd = std::make_unique<CurrentDirGuard>(dir.path());
        writeBytes(u"prog"_s, "#!/bin/sh\n");
        ::chmod("prog", 0755);
        writeBytes(u"notes.txt"_s, "text");
        // Files with the execute bit that are no programs, as every file on a FAT stick.
        writeBytes(u"stick.txt"_s, "text");
        writeBytes(u"stick.png"_s, "\x89PNG\r\n");
        writeBytes(u"stick.empty"_s, "");
        writeBytes(u"elf"_s, QByteArray("\x7f"
                                        "ELF\x02\x01\x01",
                                        7));
        for (const char* name : {"stick.txt", "stick.png", "stick.empty", "elf"})
            ::chmod(name, 0755);
        QDir(dir.path()).mkdir(u"folder"_s);
        ::symlink("missing", "dangling");
        container.loadApplication("editor.desktop");
    }
    QString failureOf(const std::function<void()>& work) {
        try {
            work();
        } catch (const Failure& failure) {
            return failure.message();
        }
        return {};
    }

    QTemporaryDir dir;
    QByteArray root;
    std::unique_ptr<CurrentDirGuard> cwd;
    std::shared_ptr<RecordingStarter> starter = std::make_shared<RecordingStarter>();
    ObjectContainer container{starter};
};

TEST_F(ObjectContainerTest, linkAndActivate_replacesTheObjectAndStartsByKind) {
    const QString missing = u"No such file or directory"_s;
    const struct {
        QByteArray path;
        QByteArray held;   // empty: the container is left empty
        const char* start; // how it is started
        QString failure;
    } cases[] = {
        {"prog", "/prog", "program ", {}},
        {"notes.txt", "/notes.txt", "open ", {}},
        {"elf", "/elf", "program ", {}},
        {"stick.txt", "/stick.txt", "open ", {}},
        {"stick.png", "/stick.png", "open ", {}},
        {"stick.empty", "/stick.empty", "open ", {}},
        {"folder", "/folder", "open ", {}},
        {root + "/notes.txt", "/notes.txt", "open ", {}},
        {"missing", {}, {}, missing},
        {"dangling", {}, {}, missing},
        {"", {}, {}, missing},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.path.toStdString());
        container.loadApplication("editor.desktop");
        starter->started.clear();
        EXPECT_EQ(failureOf([&] { container.linkAndActivate(row.path); }), row.failure);
        if (row.held.isEmpty()) {
            EXPECT_FALSE(container.object());
            EXPECT_TRUE(starter->started.isEmpty());
            // After a failed link the editor is gone: activating finds nothing.
            EXPECT_EQ(failureOf([&] { container.activate(); }),
                      u"Operation not allowed on an empty OLE container"_s);
        } else {
            EXPECT_EQ(container.object(), (ContainedObject{Kind::Link, root + row.held}));
            EXPECT_EQ(starter->started, QByteArrayList{row.start + root + row.held});
        }
    }
}

} // namespace
} // namespace quill::test
