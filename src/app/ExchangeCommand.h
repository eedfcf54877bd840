#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>

class QCommandLineOption;
class QCommandLineParser;

namespace quill {

// What a flashcard command did: its exit status and what it prints.
struct ExchangeResult {
    int exitStatus = 0;
    QByteArray standardOutput;   // the exported file without -o, or the import's count
    QString standardError;       // whole lines
    bool outputIsExport = false; // standard output carries the exported file itself
};

// The exit statuses of the flashcard commands.
enum ExchangeStatus : int {
    ExchangeDone = 0,
    ExchangeWrongCommandLine = 2, // also a missing folder
    ExchangeNothingWritten = 3,   // a file could not be read, parsed or written
    ExchangeUnprinted = 4,        // done, but standard output could not take the summary
};

// What the exit statuses mean, for the help texts: whole lines.
QString exchangeStatusHelp();

// A result with the status and, when given, the message as a line of standard error.
ExchangeResult finished(int status, const QString& message = {});
// Status 2: the reason, then the usage.
ExchangeResult wrongCommandLine(const QString& reason, const QString& usage);
// "1 pair", "2 pairs".
QString pairCount(qsizetype count);
// Why the folder argument at `index` (the current folder when there is none) cannot be worked
// on; empty when it is a folder.
QString folderProblem(const QStringList& positional, qsizetype index);

// Parses the arguments, then answers --help with the usage and the statuses, or runs the
// command; a wrong command line is status 2 and a failure status 3.
ExchangeResult runParsed(QCommandLineParser& parser, const QStringList& arguments,
                         const QCommandLineOption& help, const QString& usage,
                         const std::function<ExchangeResult()>& run);

// True when the first argument after the program is "export" or "import".
bool isExchangeCommand(const QStringList& arguments);

// Runs, without a display, `quillbook export FORMAT [FOLDER] [-o FILE] [--bom] [--locales=xx,yy]`
// or `quillbook import FILE [FOLDER] [--format F] [--separator=S]` (arguments[0] is the
// program); "-" as FILE means standard output (-o) or `standardInput` (import). Status 0 when
// done (also when the folder holds no list to export), 2 for a wrong command line or a missing
// folder, 3 when a file cannot be read, parsed or written; then nothing is written.
ExchangeResult runExchange(const QStringList& arguments, std::FILE* standardInput = stdin);

// Writes the result's texts to `out` and `err` and gives its exit status. When `out` does not
// take its text, a line on `err` says so and the status is 3 when that text was the export
// itself, else 4: the lists changed as they would have.
int reportExchange(const ExchangeResult& result, std::FILE* out = stdout, std::FILE* err = stderr);

} // namespace quill
