#include "launcher/LaunchFailure.h"
#include "launcher/RecordingStarter.h"
#include "ui/FormFixture.h"

#include <QDir>

#include <sys/stat.h>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

class LauncherCommands : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        root = QFile::encodeName(QDir(dir.path()).canonicalPath());
        QDir(dir.path()).mkdir(u"bin"_s);
        for (const char* name : {"abiword", "lowriter", "bin/tool"}) {
            writeBytes(QString::fromLatin1(name), "#!/bin/sh\n");
            ::chmod(name, 0755);
        }
        services.programs = {root + "/doublecmd", root + "/abiword", root + "/lowriter",
                             root + "/bin"};
        services.starter = starter;
    }
    // Runs the command on the text with a new window; what it started.
    QByteArrayList run(const char* command, const QByteArray& text) {
        makeForm();
        form->ComboBox1->setEditBytes(text);
        trigger(command);
        EXPECT_EQ(form->ComboBox1->editBytes(), text);
        return std::exchange(starter->started, {});
    }
    QByteArrayList program(const char* name) const { return {"program " + root + '/' + name}; }

    QByteArray root;
    std::shared_ptr<RecordingStarter> starter = std::make_shared<RecordingStarter>();
};

TEST_F(LauncherCommands, knowFilesRun_startsTheGroupOfTheWholeTextExactly) {
    const QByteArrayList none;
    const QByteArrayList editor{"application editor.desktop"};
    const struct {
        QByteArray text;
        QByteArrayList started;
    } cases[] = {
        {"tcmd", program("doublecmd")},
        {"total commander", program("doublecmd")},
        {"totalcmd", program("doublecmd")},
        {"notepad", editor},
        {"ntpd", editor},
        {"np", editor},
        {"wordpad", program("abiword")},
        {"wrpd", program("abiword")},
        {"wp", program("abiword")},
        {"word", program("lowriter")},
        {"microsoft word", program("lowriter")},
        {"msword", program("lowriter")},
        {"winword", program("lowriter")},
        {"Notepad", none},
        {"np ", none},
        {" wp", none},
        {"microsoft  word", none},
        {"TCMD", none},
        {"", none},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.text.toStdString());
        EXPECT_EQ(run("RunAKnowFile1", row.text), row.started);
    }
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(LauncherCommands, notepadAfterWordPad_startsWordPadAgain_afterFailedLink_nothing) {
    run("RunAKnowFile1", "wp");
    form->ComboBox1->setEditBytes("notepad");
    trigger("RunAKnowFile1");
    EXPECT_EQ(starter->started, program("abiword"));

    services.programs.wordPad = root + "/missing";
    run("RunAKnowFile1", "wp");
    EXPECT_FALSE(form->OleContainer1.object());
    form->ComboBox1->setEditBytes("notepad");
    trigger("RunAKnowFile1");
    EXPECT_TRUE(starter->started.isEmpty());
    // A desktop without a text editor: the container starts empty.
    starter->editor.clear();
    EXPECT_EQ(run("RunAKnowFile1", "notepad"), QByteArrayList());
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(LauncherCommands, launchAndEmptyFailuresAreQuiet_othersReported) {
    starter->onStart = [] {
        throw LaunchFailure(u"Exec format error"_s);
    };
    run("RunAKnowFile1", "tcmd");
    run("Other2", "abiword");
    EXPECT_TRUE(form->OleContainer1.object());
    run("RunaFiles1", "tool");
    EXPECT_TRUE(dialogs.failures.empty());

    starter->onStart = [] {
        throw Failure(u"Out of luck"_s);
    };
    run("RunAKnowFile1", "wp");
    EXPECT_TRUE(dialogs.failures.empty());
    run("Other2", "abiword");
    run("RunaFiles1", "tool");
    ASSERT_EQ(dialogs.failures.size(), 2u);
    EXPECT_EQ(dialogs.failures[1].text, u"Out of luck."_s);
}

TEST_F(LauncherCommands, pathCommands_linkRelativeToWorkingFolderOrInSystemFolder) {
    EXPECT_EQ(run("Other2", "abiword"), program("abiword"));
    EXPECT_EQ(run("RunaFiles1", "tool"), program("bin/tool"));
    for (const QByteArray& missing : {QByteArray("missing"), QByteArray()}) {
        run("Other2", missing);
        EXPECT_FALSE(form->OleContainer1.object());
        run("RunaFiles1", missing);
        EXPECT_FALSE(form->OleContainer1.object());
    }
    EXPECT_TRUE(starter->started.isEmpty());
    EXPECT_TRUE(dialogs.failures.empty());
}

} // namespace
} // namespace quill::test
