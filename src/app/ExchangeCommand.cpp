#include "app/ExchangeCommand.h"

#include "core/Failure.h"
#include "exchange/DelimitedText.h"
#include "exchange/FlashcardFormat.h"
#include "exchange/FolderPairs.h"
#include "exchange/ImportSource.h"
#include "exchange/OneColumnFailure.h"
#include "exchange/OptionFailure.h"
#include "storage/SafeFile.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

// "-" for a file is standard input or output, as the command-line tools have it.
const QString standardStream = u"-"_s;

const QString exportUsage = u"usage: quillbook export anki|csv|tsv|kvtml [FOLDER] [-o FILE|-] "
                            u"[--bom] [--locales=xx,yy]"_s;
const QString importUsage = u"usage: quillbook import FILE|- [FOLDER] "
                            u"[--format anki|csv|tsv|kvtml|words]\n"
                            u"                        [--separator=,|;|tab|...] "
                            u"[--meaning context|none] [--book TEXT]\n"
                            u"                        [--language xx] [--deck NAME]"_s;

} // namespace

ExchangeResult finished(int status, const QString& message) {
    ExchangeResult result;
    result.exitStatus = status;
    if (!message.isEmpty())
        result.standardError = u"quillbook: "_s + message + u'\n';
    return result;
}

ExchangeResult wrongCommandLine(const QString& reason, const QString& usage) {
    ExchangeResult result = finished(ExchangeWrongCommandLine, reason);
    result.standardError += usage + u'\n';
    return result;
}

ExchangeResult runParsed(QCommandLineParser& parser, const QStringList& arguments,
                         const QCommandLineOption& help, const QString& usage,
                         const std::function<ExchangeResult()>& run) {
    if (!parser.parse(arguments))
        return wrongCommandLine(parser.errorText(), usage);
    if (parser.isSet(help)) {
        ExchangeResult result;
        result.standardOutput = (usage + u'\n' + exchangeStatusHelp()).toUtf8();
        return result;
    }
    try {
        return run();
    } catch (const Failure& failure) {
        return finished(ExchangeNothingWritten, failure.message());
    }
}

QString pairCount(qsizetype count) {
    return count == 1 ? u"1 pair"_s : u"%1 pairs"_s.arg(count);
}

QString folderProblem(const QStringList& positional, qsizetype index) {
    const QFileInfo folder(positional.value(index, u"."_s));
    if (folder.isDir())
        return {};
    return folder.exists() ? u"\"%1\" is not a folder"_s.arg(folder.filePath())
                           : u"the folder \"%1\" does not exist"_s.arg(folder.filePath());
}

namespace {

QByteArray readStream(std::FILE* input) {
    QByteArray bytes;
    char buffer[1 << 16];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, input);
        bytes.append(buffer, qsizetype(got));
        if (bytes.size() > MaxImportBytes)
            throw Failure(u"Cannot read standard input. File too large"_s);
        if (got < sizeof buffer) {
            if (std::ferror(input))
                throw Failure(u"Cannot read standard input. "_s + errorText(errno));
            return bytes;
        }
    }
}

ExchangeResult exportPairs(const QCommandLineParser& parser, const QString& output) {
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < 2 || positional.size() > 3)
        return wrongCommandLine(u"export takes a format and at most one folder"_s, exportUsage);
    const std::optional<FlashcardFormat> format = flashcardFormatNamed(positional[1]);
    if (format == FlashcardFormat::Words)
        return wrongCommandLine(u"words is a format to import, not to export"_s, exportUsage);
    if (!format)
        return wrongCommandLine(u"unknown format \"%1\""_s.arg(positional[1]), exportUsage);
    // An option that the format cannot honour would leave the user with a file other than asked.
    if (parser.isSet(u"bom"_s) && format != FlashcardFormat::Csv)
        return wrongCommandLine(u"--bom goes with csv only"_s, exportUsage);
    if (parser.isSet(u"locales"_s) && format != FlashcardFormat::Kvtml)
        return wrongCommandLine(u"--locales goes with kvtml only"_s, exportUsage);
    if (const QString problem = folderProblem(positional, 2); !problem.isEmpty())
        return finished(ExchangeWrongCommandLine, problem);
    const QString folder = positional.value(2, u"."_s);
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
        return finished(ExchangeDone,
                        u"no Phrase.log or Mean.log in \"%1\", nothing exported"_s.arg(folder));
    ExchangeResult result = finished(ExchangeDone);
    const QByteArray bytes = writeFlashcards(*format, *pairs, options);
    if (output.isEmpty() || output == standardStream) {
        result.standardOutput = bytes;
        result.outputIsExport = true;
    } else {
        writeFileAtomically(output, bytes);
    }
    if (const qsizetype uneven = pairs->unevenCount(); uneven > 0)
        result.standardError =
            u"quillbook: %1 %2 an empty side: Phrase.log and Mean.log differ "
            u"in length\n"_s.arg(pairCount(uneven), uneven == 1 ? u"has" : u"have");
    return result;
}

// The separator --separator names; 0 without the option. Nothing when the name is unknown.
std::optional<char> separatorOption(const QCommandLineParser& parser) {
    if (!parser.isSet(u"separator"_s))
        return char(0);
    const char separator = separatorNamed(parser.value(u"separator"_s).toUtf8());
    return separator != 0 ? std::optional(separator) : std::nullopt;
}

ExchangeResult importPairs(const QCommandLineParser& parser, std::FILE* standardInput) {
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
    ImportOptions options;
    if (const std::optional<char> separator = separatorOption(parser))
        options.separator = *separator;
    else
        return wrongCommandLine(
            u"unknown separator \"%1\": give one character, or comma, "
            u"semicolon, tab, space, pipe or colon"_s.arg(parser.value(u"separator"_s)),
            importUsage);
    if (options.separator != 0 && format && format != FlashcardFormat::Csv &&
        format != FlashcardFormat::Anki)
        return wrongCommandLine(u"--separator goes with csv and anki only"_s, importUsage);
    if (parser.isSet(u"meaning"_s)) {
        const QString meaning = parser.value(u"meaning"_s);
        if (meaning == u"context"_s)
            options.meaning = MeaningSource::Context;
        else if (meaning == u"none"_s)
            options.meaning = MeaningSource::None;
        else
            return wrongCommandLine(u"--meaning takes context or none"_s, importUsage);
    }
    for (const auto& [name, value] :
         {std::pair(u"book"_s, &options.book), std::pair(u"language"_s, &options.language),
          std::pair(u"deck"_s, &options.deck)}) {
        if (parser.isSet(name))
            *value = parser.value(name);
    }

    if (const QString problem = folderProblem(positional, 2); !problem.isEmpty())
        return finished(ExchangeWrongCommandLine, problem);
    const QString folder = positional.value(2, u"."_s);

    const QString file = positional[1];
    const bool fromInput = file == standardStream;
    const QString name = fromInput ? u"standard input"_s : file;
    ImportSource source;
    if (fromInput)
        source.bytes = readStream(standardInput);
    else
        source.path = file;
    PairLists pairs;
    try {
        pairs = readImportSource(source, format, options);
    } catch (const OptionFailure& failure) {
        return wrongCommandLine(u"%1: %2"_s.arg(name, failure.message()), importUsage);
    } catch (const OneColumnFailure& failure) {
        throw Failure(
            u"%1: %2: give --format words to import the lines as words without meanings, or "
            u"--separator to name the separator"_s.arg(name, failure.message()));
    } catch (const OpenFailure&) {
        throw; // it names the file itself
    } catch (const Failure& failure) {
        throw Failure(name + u": "_s + failure.message());
    }
    const ImportCount count = quill::importPairs(folder, pairs);
    ExchangeResult result = finished(ExchangeDone);
    result.standardOutput =
        u"%1 added, %2 already there\n"_s.arg(pairCount(count.added)).arg(count.present).toUtf8();
    return result;
}

} // namespace

QString exchangeStatusHelp() {
    return u"Exit status of export, import, removed and restore: 0 done; 2 wrong command line or\n"
           u"no such folder; 3 nothing written (a file could not be read, parsed or written); 4\n"
           u"the pairs were added, but the summary could not be printed.\n"_s;
}

bool isExchangeCommand(const QStringList& arguments) {
    return arguments.size() > 1 && (arguments[1] == u"export"_s || arguments[1] == u"import"_s);
}

ExchangeResult runExchange(const QStringList& arguments, std::FILE* standardInput) {
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
        parser.addOption({u"format"_s, u"anki, csv, tsv, kvtml or words."_s, u"format"_s});
        parser.addOption({u"separator"_s, u"Field separator (csv, anki)."_s, u"separator"_s});
        parser.addOption({u"meaning"_s, u"E-reader meanings: context or none."_s, u"source"_s});
        parser.addOption({u"book"_s, u"E-reader words met in these titles."_s, u"text"_s});
        parser.addOption({u"language"_s, u"Kindle words of this language."_s, u"xx"_s});
        parser.addOption({u"deck"_s, u"Anki notes of this deck."_s, u"name"_s});
    }
    return runParsed(parser, arguments, help, usage, [&] {
        return exporting ? exportPairs(parser, parser.value(output))
                         : importPairs(parser, standardInput);
    });
}

int reportExchange(const ExchangeResult& result, std::FILE* out, std::FILE* err) {
    std::fwrite(result.standardOutput.constData(), 1, std::size_t(result.standardOutput.size()),
                out);
    const bool printed = std::fflush(out) == 0 && !std::ferror(out);
    const int printError = errno;
    std::fputs(result.standardError.toLocal8Bit().constData(), err);
    if (printed)
        return result.exitStatus;
    // The lists are as the command left them; only the printing failed.
    std::fputs(u"quillbook: cannot write to standard output: %1\n"_s.arg(errorText(printError))
                   .toLocal8Bit()
                   .constData(),
               err);
    std::fflush(err);
    if (result.exitStatus != ExchangeDone)
        return result.exitStatus;
    return result.outputIsExport ? ExchangeNothingWritten : ExchangeUnprinted;
}

} // namespace quill
