#include "window/LauncherCommands.h"
#include "launcher/LaunchFailure.h"
#include "launcher/RecordingStarter.h"
#include "window/FormFixture.h"

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
    // Each group's texts, and what each of them starts; other spellings start nothing.
    const std::pair<QByteArrayList, QByteArrayList> cases[] = {
        {{"tcmd", "total commander", "totalcmd"}, program("doublecmd")},
        {{"notepad", "ntpd", "np"}, {"application editor.desktop"}},
        {{"wordpad", "wrpd", "wp"}, program("abiword")},
        {{"word", "microsoft word", "msword", "winword"}, program("lowriter")},
        {{"Notepad", "np ", " wp", "microsoft  word", "TCMD", ""}, {}},
    };
    for (const auto& [texts, started] : cases) {
        for (const QByteArray& text : texts) {
            SCOPED_TRACE(text.toStdString());
            EXPECT_EQ(run("RunAKnowFile1", text), started);
        }
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
    EXPECT_FALSE(form->launcher().OleContainer1.object());
    form->ComboBox1->setEditBytes("notepad");
    trigger("RunAKnowFile1");
    EXPECT_TRUE(starter->started.isEmpty());
    // A desktop without a text editor: the container starts empty.
    starter->editor.clear();
    EXPECT_EQ(run("RunAKnowFile1", "notepad"), QByteArrayList());
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(LauncherCommands, pathCommands_dropLaunchFailuresQuietly_reportOthers) {
    starter->onStart = [] {
        throw LaunchFailure(u"Exec format error"_s);
    };
    EXPECT_EQ(run("Other2", "abiword"), program("abiword"));
    EXPECT_TRUE(form->launcher().OleContainer1.object());
    EXPECT_EQ(run("RunaFiles1", "tool"), program("bin/tool"));
    // No name: the system folder itself is no program.
    EXPECT_EQ(run("RunaFiles1", ""), QByteArrayList());
    EXPECT_FALSE(form->launcher().OleContainer1.object());
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

} // namespace
} // namespace quill::test
