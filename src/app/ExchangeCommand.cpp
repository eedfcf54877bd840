#include "app/ExchangeCommand.h"

#include "core/Failure.h"
#include "exchange/FlashcardFormat.h"
#include "exchange/FolderPairs.h"
#include "storage/SafeFile.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

// A file to import may be as large as two lists can be.
constexpr qsizetype MaxImportBytes = qsizetype(1) << 33;

const QString exportUsage =
    u"usage: quillbook export anki|csv|tsv|kvtml [FOLDER] [-o FILE] [--bom] [--locales=xx,yy]"_s;
const QString importUsage = u"usage: quillbook import FILE [FOLDER] [--format F]"_s;

ExchangeResult finished(int status, const QString& message = {}) {
    ExchangeResult result;
    result.exitStatus = status;
    if (!message.isEmpty())
        result.standardError = u"quillbook: "_s + message + u'\n';
    return result;
}

ExchangeResult wrongCommandLine(const QString& reason, const QString& usage) {
    ExchangeResult result = finished(2, reason);
    result.standardError += usage + u'\n';
    return result;
}

// The folder the command works on: the given one, else the current folder; empty when the
// given one is no folder.
QString folderArgument(const QStringList& positional, qsizetype index) {
    const QString folder = positional.value(index, u"."_s);
    return QFileInfo(folder).isDir() ? folder : QString();
}

ExchangeResult exportPairs(const QCommandLineParser& parser, const QString& output) {
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < 2 || positional.size() > 3)
        return wrongCommandLine(u"export takes a format and at most one folder"_s, exportUsage);
    const std::optional<FlashcardFormat> format = flashcardFormatNamed(positional[1]);
    if (!format)
        return wrongCommandLine(u"unknown format \"%1\""_s.arg(positional[1]), exportUsage);
    const QString folder = folderArgument(positional, 2);
    if (folder.isEmpty())
        return finished(2, u"the folder \"%1\" does not exist"_s.arg(positional[2]));
    ExportOptions options;
    options.byteOrderMark = parser.isSet(u"bom"_s);
    if (parser.isSet(u"locales"_s)) {
        const QStringList locales = parser.value(u"locales"_s).split(u',');
        if (locales.size() != 2)
            return wrongCommandLine(u"--locales takes two locales, as in --locales=en,de"_s,
                                    exportUsage);
        options.wordLocale = locales[0].trimmed();
        options.meaningLocale = locales[1].trimmed();
    }
    options.title = QDir(QFileInfo(folder).absoluteFilePath()).dirName();

    const std::optional<PairLists> pairs = readFolderPairs(folder);
    if (!pairs)
        return finished(0, u"no Phrase.log or Mean.log in \"%1\", nothing exported"_s.arg(folder));
    ExchangeResult result = finished(0);
    const QByteArray bytes = writeFlashcards(*format, *pairs, options);
    if (output.isEmpty())
        result.standardOutput = bytes;
    else
        writeFileAtomically(output, bytes);
    if (pairs->unevenCount() > 0)
        result.standardError = u"quillbook: %1 pairs have an empty side: Phrase.log and Mean.log "
                               u"differ in length\n"_s.arg(pairs->unevenCount());
    return result;
}

ExchangeResult importPairs(const QCommandLineParser& parser) {
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < 2 || positional.size() > 3)
        return wrongCommandLine(u"import takes a file and at most one folder"_s, importUsage);
    std::optional<FlashcardFormat> format;
    if (parser.isSet(u"format"_s)) {
        format = flashcardFormatNamed(parser.value(u"format"_s));
        if (!format)
            return wrongCommandLine(u"unknown format \"%1\""_s.arg(parser.value(u"format"_s)),
                                    importUsage);
    }
    const QString folder = folderArgument(positional, 2);
    if (folder.isEmpty())
        return finished(2, u"the folder \"%1\" does not exist"_s.arg(positional[2]));

    const QString file = positional[1];
    const QByteArray content = readWholeFile(file, MaxImportBytes);
    PairLists pairs;
    try {
        pairs = readFlashcards(format.value_or(detectFlashcardFormat(file, content)), content);
    } catch (const Failure& failure) {
        throw Failure(file + u": "_s + failure.message());
    }
    const ImportCount count = quill::importPairs(folder, pairs);
    ExchangeResult result = finished(0);
    result.standardOutput =
        u"%1 pairs added, %2 already there\n"_s.arg(count.added).arg(count.present).toUtf8();
    return result;
}

} // namespace

bool isExchangeCommand(const QStringList& arguments) {
    return arguments.size() > 1 && (arguments[1] == u"export"_s || arguments[1] == u"import"_s);
}

ExchangeResult runExchange(const QStringList& arguments) {
    const bool exporting = arguments.value(1) == u"export"_s;
    const QString& usage = exporting ? exportUsage : importUsage;
    QCommandLineParser parser;
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Show this help."_s);
    parser.addOption(help);
    const QCommandLineOption output({u"o"_s, u"output"_s}, u"File to write."_s, u"file"_s);
    if (exporting) {
        parser.addOption(output);
        parser.addOption({u"bom"_s, u"Start a csv file with a UTF-8 byte order mark."_s});
        parser.addOption({u"locales"_s, u"Locales of words and meanings (kvtml)."_s, u"xx,yy"_s});
    } else {
        parser.addOption({u"format"_s, u"anki, csv, tsv or kvtml."_s, u"format"_s});
    }
    if (!parser.parse(arguments))
        return wrongCommandLine(parser.errorText(), usage);
    if (parser.isSet(help)) {
        ExchangeResult result;
        result.standardOutput = (usage + u'\n').toUtf8();
        return result;
    }
    try {
        return exporting ? exportPairs(parser, parser.value(output)) : importPairs(parser);
    } catch (const Failure& failure) {
        return finished(3, failure.message());
    }
}

int reportExchange(const ExchangeResult& result) {
    std::fwrite(result.standardOutput.constData(), 1, std::size_t(result.standardOutput.size()),
                stdout);
    std::fflush(stdout);
    std::fputs(result.standardError.toLocal8Bit().constData(), stderr);
    return std::ferror(stdout) ? 3 : result.exitStatus;
}

} // namespace quill
