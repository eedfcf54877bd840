#include "app/CommandLine.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

// Sets an environment variable for one test and restores it afterwards.
class EnvironmentGuard {
public:
    EnvironmentGuard(const char* name, const QString& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value.toLocal8Bit());
    }
    ~EnvironmentGuard() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

class CommandLine : public ::testing::Test {
protected:
    QTemporaryDir temp;
    QString home = temp.filePath(u"home"_s);
    EnvironmentGuard homeGuard{"HOME", home};
    EnvironmentGuard dataGuard{"XDG_DATA_HOME", temp.filePath(u"data"_s)};
    CurrentDirGuard cwd{temp.path()};
    QString words = temp.filePath(u"data/Quillbook/words"_s);

    StartDecision start(const QStringList& arguments) {
        return prepareStart(QStringList{u"quillbook"_s} + arguments, temp.filePath(u"bin"_s));
    }
};

TEST_F(CommandLine, missingFolder_status2OneLineNothingCreated) {
    const StartDecision decision = start({temp.filePath(u"absent"_s)});
    EXPECT_FALSE(decision.openWindow);
    EXPECT_EQ(decision.exitStatus, 2);
    EXPECT_EQ(decision.standardError.count(u'\n'), 1);
    EXPECT_TRUE(decision.standardError.contains(temp.filePath(u"absent"_s)));
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());
    EXPECT_EQ(QDir::currentPath(), temp.path());
}

TEST_F(CommandLine, wrongCommandLines_status2WithoutWindow) {
    ASSERT_TRUE(QDir(temp.path()).mkdir(u"lists"_s));
    writeBytes(temp.filePath(u"file"_s), "x");
    const QStringList rows[] = {
        {u"--unknown"_s}, {u"lists"_s, u"lists"_s}, {u"--data-folder"_s, u"lists"_s}, {u"file"_s}};
    for (const QStringList& arguments : rows) {
        const StartDecision decision = start(arguments);
        EXPECT_FALSE(decision.openWindow) << arguments.join(u' ').toStdString();
        EXPECT_EQ(decision.exitStatus, 2) << arguments.join(u' ').toStdString();
    }
    // A file where the folder belongs is named as what it is, not as missing.
    EXPECT_TRUE(start({u"file"_s}).standardError.contains(u"\"file\" is not a folder"_s));
    EXPECT_FALSE(QFileInfo::exists(words));
}

TEST_F(CommandLine, folderArgument_becomesWorkingDirectory) {
    ASSERT_TRUE(QDir(temp.path()).mkdir(u"lists"_s));
    const StartDecision decision = start({u"lists"_s});
    EXPECT_TRUE(decision.openWindow);
    EXPECT_EQ(QDir::currentPath(), temp.filePath(u"lists"_s));
}

TEST_F(CommandLine, dataFolder_seededOnceNeverOverwritten) {
    const QString sample = QStringLiteral(QUILLBOOK_SOURCE_SAMPLE_FOLDER);
    ASSERT_TRUE(start({u"--data-folder"_s}).openWindow);
    EXPECT_EQ(QDir::currentPath(), words);
    EXPECT_EQ(fileBytes(words + u"/Phrase.log"_s), fileBytes(sample + u"/Phrase.log"_s));
    EXPECT_EQ(fileBytes(words + u"/Mean.log"_s), fileBytes(sample + u"/Mean.log"_s));
    EXPECT_EQ(QDir(temp.filePath(u"data/Quillbook"_s))
                  .entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{u"words"_s}); // no half-filled folder left behind

    writeBytes(words + u"/Phrase.log"_s, "mine\r\n");
    ASSERT_TRUE(QFile::remove(words + u"/Mean.log"_s));
    ASSERT_TRUE(start({u"--data-folder"_s}).openWindow);
    EXPECT_EQ(fileBytes(words + u"/Phrase.log"_s), "mine\r\n");
    EXPECT_FALSE(QFileInfo::exists(words + u"/Mean.log"_s));
}

TEST_F(CommandLine, userWordsFolder_fallsBackToHomeForUnsetOrRelativeDataHome) {
    for (const QString& dataHome : {QString(), u"relative/share"_s}) {
        EnvironmentGuard guard("XDG_DATA_HOME", dataHome);
        EXPECT_EQ(userWordsFolder(), home + u"/.local/share/Quillbook/words"_s);
    }
    EXPECT_EQ(userWordsFolder(), words);
}

TEST_F(CommandLine, sampleVocabulary_besideInstalledProgramFirst) {
    const QString installed = temp.filePath(u"share/quillbook"_s);
    EXPECT_EQ(sampleVocabularyFolder(temp.filePath(u"bin"_s)),
              QStringLiteral(QUILLBOOK_SOURCE_SAMPLE_FOLDER));
    ASSERT_TRUE(QDir().mkpath(installed));
    writeBytes(installed + u"/Phrase.log"_s, "installed\r\n");
    EXPECT_EQ(sampleVocabularyFolder(temp.filePath(u"bin"_s)), installed);
}

TEST(CommandLineProgram, missingFolderAndVersion_throughTheProgram) {
    QTemporaryDir runtime;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUILLBOOK_PROGRAM), {runtime.filePath(u"absent"_s)});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_EQ(program.readAllStandardError().count('\n'), 1);
    EXPECT_FALSE(QFileInfo::exists(runtime.filePath(u"absent"_s)));

    program.start(QStringLiteral(QUILLBOOK_PROGRAM), {u"--version"_s});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(program.readAllStandardOutput(), "quillbook " QUILLBOOK_VERSION "\n");
}

TEST(CommandLineProgram, withoutDisplay_argumentsCheckedFirstThenOneLine) {
    QTemporaryDir runtime;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s})
        environment.remove(name);
    environment.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
    const struct {
        QStringList arguments;
        int status;
        QByteArray error;
    } rows[] = {
        {{runtime.path()}, 1, "quillbook: no display to open the window on"},
        {{u"--bogus"_s}, 2, "quillbook: Unknown option 'bogus'."},
        {{runtime.filePath(u"absent"_s)}, 2, "quillbook: the folder"},
        {{u"-platform"_s, u"xcb"_s, runtime.path()}, 1, "quillbook: no display"},
    };
    for (const auto& row : rows) {
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(QUILLBOOK_PROGRAM), row.arguments);
        ASSERT_TRUE(program.waitForFinished(30000));
        const QByteArray error = program.readAllStandardError();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << error.toStdString();
        EXPECT_EQ(program.exitCode(), row.status) << error.toStdString();
        EXPECT_TRUE(error.startsWith(row.error)) << error.toStdString();
        EXPECT_EQ(error.count('\n'), 1) << error.toStdString();
    }
}

TEST_F(CommandLine, help_namesTheProgramAndTheFlashcardCommands) {
    const StartDecision decision = start({u"--help"_s});
    EXPECT_TRUE(decision.standardOutput.startsWith(u"Usage: quillbook [options] [folder]\n"
                                                   u"       quillbook export "_s));
    EXPECT_TRUE(decision.standardOutput.contains(u"--data-folder"_s));
}

} // namespace
} // namespace quill::test
