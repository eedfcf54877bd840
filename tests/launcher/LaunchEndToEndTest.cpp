// Real starts: programs by path, and files and the text editor through a desktop of the test's
// own (XDG folders whose mimeapps.list makes a recording program the text/plain default).
#include "launcher/GioStarter.h"
#include "support/GuiTestRun.h"
#include "window/FormFixture.h"
#include "window/LauncherCommands.h"
#include "window/TForm1.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

QString editorMarker; // written by the desktop's text editor

// A program that writes down its process id, session, standard input and output and its
// arguments, one per line, into the marker. While "<marker>.hold" exists it then waits for
// "<marker>.go" (at most 10 s) before it writes "<marker>.done" and ends.
void writeRecorder(const QString& path, const QString& marker) {
    const QByteArray script = "#!/bin/sh\nm='" + QFile::encodeName(marker) + "'\n" + R"(
in=$(readlink /proc/$$/fd/0); out=$(readlink /proc/$$/fd/1)
{ echo $$; sed 's/.*) //' /proc/$$/stat | cut -d' ' -f4; echo "$in"; echo "$out"
  for a in "$@"; do echo "$a"; done; } > "$m.tmp" && mv "$m.tmp" "$m"
i=0
while [ -e "$m.hold" ] && [ ! -e "$m.go" ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done
echo done > "$m.done"
)";
    writeBytes(path, script);
    ::chmod(QFile::encodeName(path).constData(), 0755);
}

// The marker's lines once it is there (waiting at most 10 s), and removes it.
QByteArrayList takeMarker(const QString& path) {
    const QDeadlineTimer deadline(10000);
    while (!QFile::exists(path) && !deadline.hasExpired())
        QThread::msleep(20);
    QByteArray bytes = fileBytes(path);
    QFile::remove(path);
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    return bytes.isEmpty() ? QByteArrayList() : bytes.split('\n');
}

// Started detached: a session of its own, standard input and output on /dev/null.
void expectDetached(const QByteArrayList& lines) {
    ASSERT_GE(lines.size(), 4);
    EXPECT_NE(lines[1].toInt(), ::getsid(0));
    EXPECT_EQ(lines[2], "/dev/null");
    EXPECT_EQ(lines[3], "/dev/null");
}

// Nothing started is a child of this process, so nothing is left to become a zombie.
bool noChildren() {
    return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

class LaunchEndToEnd : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        services.starter = std::make_shared<GioStarter>();
    }
    void start(const char* command, const QByteArray& text) {
        form->ComboBox1->setEditBytes(text);
        trigger(command);
    }
    QByteArray absolute(const QString& name) const {
        return QFile::encodeName(QDir(dir.path()).canonicalPath() + u'/' + name);
    }
};

TEST_F(LaunchEndToEnd, specialExecution_startsProgramThatOutlivesTheWindow) {
    const QString marker = path(u"run.marker"_s);
    writeRecorder(path(u"run"_s), marker);
    writeBytes(marker + u".hold"_s, "");
    makeForm();
    start("Other2", "run");
    const QByteArrayList lines = takeMarker(marker);
    expectDetached(lines);
    EXPECT_EQ(lines.size(), 4); // no arguments
    const pid_t pid = lines.value(0).toInt();

    form.reset();
    EXPECT_TRUE(noChildren());
    EXPECT_EQ(::kill(pid, 0), 0) << "ended with the window";
    writeBytes(marker + u".go"_s, "");
    EXPECT_EQ(takeMarker(marker + u".done"_s), QByteArrayList{"done"});
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(LaunchEndToEnd, runaFiles_startsProgramOfSystemFolder_shellSyntaxIsJustAName) {
    QDir(dir.path()).mkdir(u"bin"_s);
    const QString marker = path(u"tool.marker"_s);
    writeRecorder(path(u"bin/tool; touch pwned"_s), marker);
    services.programs.systemFolder = absolute(u"bin"_s);
    makeForm();
    // A missing path starts nothing and empties the container.
    start("Other2", "$(touch pwned)");
    EXPECT_FALSE(form->launcher().OleContainer1.object());
    start("RunaFiles1", "tool; touch pwned");
    expectDetached(takeMarker(marker));
    EXPECT_FALSE(QFile::exists(path(u"pwned"_s)));
    EXPECT_FALSE(QFile::exists(path(u"bin/pwned"_s)));
    EXPECT_TRUE(noChildren());
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(LaunchEndToEnd, textFile_opensInDefaultEditor_whichNotepadStartsWithoutFile) {
    writeBytes(path(u"notes.txt"_s), "some notes\n");
    makeForm();
    start("RunAKnowFile1", "notepad");
    const QByteArrayList editor = takeMarker(editorMarker);
    expectDetached(editor);
    EXPECT_EQ(editor.size(), 4);

    start("Other2", "notes.txt");
    EXPECT_EQ(takeMarker(editorMarker).value(4), absolute(u"notes.txt"_s));
    EXPECT_TRUE(noChildren());
    EXPECT_TRUE(dialogs.failures.empty());
}

} // namespace
} // namespace quill::test

int main(int argc, char** argv) {
    // GIO reads the XDG folders once, so they are set before anything can ask it.
    QTemporaryDir desktop(QDir::tempPath() + u"/quillbook-desktop-XXXXXX"_qs);
    if (!desktop.isValid())
        return 1;
    const QString config = desktop.filePath(u"config"_qs);
    const QString data = desktop.filePath(u"data"_qs);
    QDir().mkpath(config);
    QDir().mkpath(data + u"/applications"_qs);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(desktop.filePath(u"cache"_qs)));
    quill::test::editorMarker = desktop.filePath(u"editor.marker"_qs);
    const QString editor = desktop.filePath(u"editor"_qs);
    quill::test::writeRecorder(editor, quill::test::editorMarker);
    quill::test::writeBytes(data + u"/applications/quillbook-test-editor.desktop"_qs,
                            "[Desktop Entry]\nType=Application\nName=Test Editor\nExec=" +
                                QFile::encodeName(editor) + " %f\nMimeType=text/plain;\n");
    quill::test::writeBytes(config + u"/mimeapps.list"_qs,
                            "[Default Applications]\ntext/plain=quillbook-test-editor.desktop\n");

    return quill::test::runGuiTests(argc, argv);
}
