#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace quill {
namespace {

const QString programName = QStringLiteral("quillbook");

StartDecision refuse(const QString& reason) {
    StartDecision decision;
    decision.exitStatus = 2;
    decision.standardError = programName + QStringLiteral(": ") + reason + u'\n';
    return decision;
}

StartDecision openIn(const QString& folder) {
    if (!QDir::setCurrent(folder))
        return refuse(QStringLiteral("cannot enter the folder \"%1\"").arg(folder));
    StartDecision decision;
    decision.openWindow = true;
    return decision;
}

} // namespace

StartDecision prepareStart(const QStringList& arguments, const QString& applicationDir) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Collects words, phrases, slang and sentences with their meanings."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption dataFolderOption(
        QStringLiteral("data-folder"),
        QStringLiteral("Start in the per-user working folder $XDG_DATA_HOME/Quillbook/words "
                       "(~/.local/share/Quillbook/words), created with a sample vocabulary on "
                       "first use."));
    parser.addOption(dataFolderOption);
    parser.addPositionalArgument(
        QStringLiteral("folder"),
        QStringLiteral("Existing folder to start in; it holds the lists Phrase.log and Mean.log. "
                       "Without it Quillbook starts in the current folder."),
        QStringLiteral("[folder]"));

    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        StartDecision decision;
        decision.standardOutput = parser.helpText();
        return decision;
    }
    if (parser.isSet(versionOption)) {
        StartDecision decision;
        decision.standardOutput = programName + u' ' + QStringLiteral(QUILLBOOK_VERSION) + u'\n';
        return decision;
    }
    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1)
        return refuse(QStringLiteral("give at most one folder"));
    if (parser.isSet(dataFolderOption)) {
        if (!folders.isEmpty())
            return refuse(QStringLiteral("give either a folder or --data-folder, not both"));
        const QString folder = userWordsFolder();
        const QString failure = createSeededFolder(folder, sampleVocabularyFolder(applicationDir));
        if (!failure.isEmpty())
            return refuse(failure);
        return openIn(folder);
    }
    if (folders.isEmpty())
        return openIn(QDir::currentPath());
    if (!QFileInfo(folders.front()).isDir())
        return refuse(QStringLiteral("the folder \"%1\" does not exist").arg(folders.front()));
    return openIn(folders.front());
}

int reportStart(const StartDecision& decision) {
    std::fputs(decision.standardOutput.toLocal8Bit().constData(), stdout);
    std::fputs(decision.standardError.toLocal8Bit().constData(), stderr);
    std::fflush(stdout);
    return decision.exitStatus;
}

QString userWordsFolder() {
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return dataHome + QStringLiteral("/Quillbook/words");
}

QString sampleVocabularyFolder(const QString& applicationDir) {
    const QString installed =
        QDir::cleanPath(applicationDir + QStringLiteral("/../share/quillbook"));
    if (QFileInfo::exists(installed + QStringLiteral("/Phrase.log")))
        return installed;
    return QStringLiteral(QUILLBOOK_SOURCE_SAMPLE_FOLDER);
}

QString createSeededFolder(const QString& folder, const QString& sampleFolder) {
    if (QFileInfo::exists(folder))
        return {};
    const QString failure = QStringLiteral("cannot create the working folder \"%1\"").arg(folder);
    const QString parent = QFileInfo(folder).absolutePath();
    if (!QDir().mkpath(parent))
        return failure;
    QTemporaryDir filling(parent + QStringLiteral("/.words-XXXXXX"));
    if (!filling.isValid())
        return failure;
    for (const QString& name : {QStringLiteral("Phrase.log"), QStringLiteral("Mean.log")}) {
        const QString source = sampleFolder + u'/' + name;
        const QString target = filling.filePath(name);
        if (!QFileInfo::exists(source))
            continue;
        // The installed samples may be read-only; the user's lists must not be.
        if (!QFile::copy(source, target) ||
            !QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                               QFile::ReadOther))
            return failure;
    }
    if (!QDir().rename(filling.path(), folder))
        return QFileInfo(folder).isDir() ? QString() : failure; // another start may have won
    filling.setAutoRemove(false); // it stays private (0700), as per-user data folders should
    return {};
}

} // namespace quill
