#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quill {

// What a flashcard command did: its exit status and what it prints.
struct ExchangeResult {
    int exitStatus = 0;
    QByteArray standardOutput; // the exported file without -o, or the import's count
    QString standardError;     // whole lines
};

// True when the first argument after the program is "export" or "import".
bool isExchangeCommand(const QStringList& arguments);

// Runs, without a display, `quillbook export FORMAT [FOLDER] [-o FILE] [--bom] [--locales=xx,yy]`
// or `quillbook import FILE [FOLDER] [--format F]` (arguments[0] is the program). Status 0 when
// done (also when the folder holds no list to export), 2 for a wrong command line or a missing
// folder, 3 when a file cannot be read, parsed or written; then nothing is written.
ExchangeResult runExchange(const QStringList& arguments);

// Writes the result's texts to standard output and standard error; gives its exit status.
int reportExchange(const ExchangeResult& result);

} // namespace quill
