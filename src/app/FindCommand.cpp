#include "app/FindCommand.h"
#include "app/ExchangeCommand.h"

#include "core/Failure.h"
#include "exchange/FolderPairs.h"
#include "search/PairSearch.h"
#include "storage/SafeFile.h"

#include <QCommandLineParser>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

const QString usage = u"usage: quillbook find TEXT [FOLDER] [--field 1|2]"_s;

int say(std::FILE* err, int status, const QString& message) {
    std::fputs((u"quillbook: "_s + message + u'\n').toLocal8Bit().constData(), err);
    return status;
}

int wrongCommandLine(std::FILE* err, const QString& reason) {
    return say(err, FindTrouble, reason + u'\n' + usage);
}

// Writes the lines of the run's matches; false when `out` does not take them.
bool writeMatches(const SearchRun& run, std::FILE* out) {
    QByteArray lines;
    const auto flush = [&] {
        const bool written = std::fwrite(lines.constData(), 1, std::size_t(lines.size()), out) ==
                             std::size_t(lines.size());
        lines.resize(0);
        return written;
    };
    for (qsizetype pair = run.nextMatch(-1); pair >= 0; pair = run.nextMatch(pair)) {
        lines += QByteArray::number(pair);
        lines += '\t';
        appendColumn(pair < run.words().size() ? run.words().at(pair) : QByteArrayView(), lines);
        lines += '\t';
        appendColumn(pair < run.meanings().size() ? run.meanings().at(pair) : QByteArrayView(),
                     lines);
        lines += '\n';
        if (lines.size() >= (1 << 16) && !flush())
            return false;
    }
    return flush() && std::fflush(out) == 0;
}

} // namespace

QString findHelp() {
    return u"find prints each pair whose word or meaning holds the text (letter case and accents\n"
           u"ignored) as one line: its index from 0, the word and the meaning, separated by tabs.\n"
           u"In an entry, a backslash, tab, line feed, carriage return and byte 0 are written\n"
           u"\\\\, \\t, \\n, \\r and \\0; other bytes as they are.\n"
           u"Exit status of find: 0 a pair matched; 1 none did; 2 wrong command line, no such\n"
           u"folder, or a list that cannot be read.\n"_s;
}

bool isFindCommand(const QStringList& arguments) {
    return arguments.size() > 1 && arguments[1] == u"find"_s;
}

void appendColumn(QByteArrayView entry, QByteArray& line) {
    for (const char byte : entry) {
        switch (byte) {
        case '\\':
            line += "\\\\";
            break;
        case '\t':
            line += "\\t";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        case '\0':
            line += "\\0";
            break;
        default:
            line += byte;
        }
    }
}

int runFind(const QStringList& arguments, std::FILE* out, std::FILE* err) {
    QCommandLineParser parser;
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Show this help."_s);
    const QCommandLineOption field(u"field"_s, u"Look in field 1 (words) or 2 (meanings) only."_s,
                                   u"1|2"_s);
    parser.addOption(help);
    parser.addOption(field);
    if (!parser.parse(arguments))
        return wrongCommandLine(err, parser.errorText());
    if (parser.isSet(help)) {
        std::fputs((usage + u'\n' + findHelp()).toLocal8Bit().constData(), out);
        return FindMatched;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < 2 || positional.size() > 3)
        return wrongCommandLine(err, u"find takes a text and at most one folder"_s);
    SearchScope scope = SearchScope::BothFields;
    if (parser.isSet(field)) {
        const QString which = parser.value(field);
        if (which != u"1"_s && which != u"2"_s)
            return wrongCommandLine(err, u"--field takes 1 or 2, not \"%1\""_s.arg(which));
        scope = which == u"1"_s ? SearchScope::Field1 : SearchScope::Field2;
    }
    const QString folder = positional.value(2, u"."_s);
    if (const QString problem = folderProblem(positional, 2); !problem.isEmpty())
        return say(err, FindTrouble, problem);
    std::optional<PairLists> pairs;
    try {
        pairs = readFolderPairs(folder);
    } catch (const Failure& failure) {
        return say(err, FindTrouble, failure.message());
    }
    if (!pairs)
        return say(err, FindNothing, u"no Phrase.log or Mean.log in \"%1\""_s.arg(folder));

    PairSearch search;
    const std::shared_ptr<SearchRun> run =
        search.start(std::move(pairs->words), std::move(pairs->meanings), positional[1], scope);
    run->wait();
    if (!writeMatches(*run, out))
        return say(err, FindTrouble, u"cannot write to standard output: "_s + errorText(errno));
    return run->settledCount() > 0 ? FindMatched : FindNothing;
}

} // namespace quill
