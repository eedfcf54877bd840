#include "app/CommandLine.h"

#include "app/ExchangeCommand.h"
#include "app/FindCommand.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;

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

// The toolkit's own options for the window (-platform xcb, -style fusion, -reverse, ...): the
// window's QApplication takes them, so the program's own options never see them.
QStringList withoutToolkitOptions(const QStringList& arguments) {
    static const QStringList withValue = {u"-platform"_s,      u"-platformpluginpath"_s,
                                          u"-platformtheme"_s, u"-plugin"_s,
                                          u"-display"_s,       u"-style"_s,
                                          u"-stylesheet"_s,    u"-qwindowgeometry"_s,
                                          u"-geometry"_s,      u"-qwindowtitle"_s,
                                          u"-title"_s,         u"-qwindowicon"_s,
                                          u"-icon"_s,          u"-session"_s,
                                          u"-name"_s};
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"-reverse"_s || withValue.contains(argument.section(u'=', 0, 0))) {
            if (withValue.contains(argument))
                ++i; // its value
            continue;
        }
        kept << argument;
    }
    return kept;
}

const QString removalHelp =
    u"Every save that removes pairs from Phrase.log and Mean.log first keeps them in the\n"
    u"folder's removal history, $XDG_STATE_HOME/Quillbook/removed (~/.local/state/...).\n"
    u"removed prints them newest first, one a line: time, word, meaning and the command that\n"
    u"saved (or merged), separated by tabs; a tab, line break, backslash or byte 0 in\n"
    u"them shows as \\t, \\n or \\r, \\\\ and \\0. --limit 500M sets how much each folder's\n"
    u"history keeps (1G unless set; the oldest go first). restore appends the removed pairs\n"
    u"the lists do not hold, oldest first and each once, as import does; --since takes an\n"
    u"ISO 8601 time (2026-12-09, 2026-12-09T10:15, 2026-12-09T10:15:00+01:00; local time\n"
    u"without Z or an offset), --match a text in the word or meaning (any letter case).\n\n"_s;

// The help text names the program as users type it, not the path it was started by.
QString helpText(const QCommandLineParser& parser) {
    const QString text = parser.helpText();
    return u"Usage: quillbook [options] [folder]\n"
           u"       quillbook export anki|csv|tsv|kvtml [folder] [-o file|-] [--bom] "
           u"[--locales=xx,yy]\n"
           u"       quillbook import file|- [folder] [--format anki|csv|tsv|kvtml|words]\n"
           u"                        [--separator=,|;|tab|...] [--meaning context|none]\n"
           u"                        [--book text] [--language xx] [--deck name]\n"
           u"       quillbook removed [folder] [--limit size]\n"
           u"       quillbook restore [folder] [--since time] [--match text]\n"
           u"       quillbook find text [folder] [--field 1|2]\n"
           u"import also reads Kindle, KOReader and Kobo word lists, dictionary histories and\n"
           u"Anki packages, recognised by their content.\n"_s +
           text.mid(text.indexOf(u'\n') + 1) + u'\n' + removalHelp + exchangeStatusHelp() +
           findHelp();
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

    if (!parser.parse(withoutToolkitOptions(arguments)))
        return refuse(parser.errorText());
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        StartDecision decision;
        decision.standardOutput = helpText(parser);
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
    if (const QString problem = folderProblem(folders, 0); !problem.isEmpty())
        return refuse(problem);
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
