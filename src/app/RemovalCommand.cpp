#include "app/RemovalCommand.h"

#include "exchange/FolderPairs.h"
#include "storage/RemovalHistory.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QRegularExpression>

#include <limits>
#include <optional>
#include <string_view>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

const QString removedUsage = u"usage: quillbook removed [FOLDER] [--limit SIZE]"_s;
const QString restoreUsage = u"usage: quillbook restore [FOLDER] [--since TIME] [--match TEXT]"_s;

// "500M", "2G", "1048576": bytes, or binary kilo-, mega-, giga- or terabytes.
std::optional<qint64> sizeNamed(const QString& text) {
    static const QRegularExpression form(u"^\\s*(\\d{1,15})\\s*([KMGT]?)(?:i?B)?\\s*$"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QString unit = match.captured(2).toUpper();
    const int shift = unit.isEmpty() ? 0 : int(u"KMGT"_s.indexOf(unit) + 1) * 10;
    const qint64 bytes = match.captured(1).toLongLong();
    if (bytes == 0 || bytes > (std::numeric_limits<qint64>::max() >> shift))
        return std::nullopt;
    return bytes << shift;
}

// ISO 8601 as Qt reads it: a date, or a date and time ("T" or a blank between), with seconds
// and milliseconds or without, with "Z" or an offset such as "+01:00", else in local time.
std::optional<qint64> timeNamed(const QString& text) {
    const QDateTime time = QDateTime::fromString(text.trimmed(), Qt::ISODate);
    return time.isValid() ? std::optional(time.toMSecsSinceEpoch()) : std::nullopt;
}

QString shownTime(qint64 milliseconds) {
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(milliseconds);
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate);
}

// A field of `removed`'s lines: the bytes, with tab, line breaks, backslash and byte 0 escaped.
QByteArray removalField(QByteArrayView bytes) {
    QByteArray field;
    field.reserve(bytes.size());
    // Each byte that would break the line's fields, and the letter that names it.
    constexpr std::string_view special("\t\n\r\\\0", 5);
    constexpr std::string_view letters("tnr\\0", 5);
    for (const char c : bytes) {
        const size_t at = special.find(c);
        if (at == std::string_view::npos) {
            field += c;
        } else {
            field += '\\';
            field += letters[at];
        }
    }
    return field;
}

ExchangeResult listRemoved(const QCommandLineParser& parser) {
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 2)
        return wrongCommandLine(u"removed takes at most one folder"_s, removedUsage);
    if (const QString problem = folderProblem(positional, 1); !problem.isEmpty())
        return finished(ExchangeWrongCommandLine, problem);
    const QString folder = positional.value(1, u"."_s);
    const RemovalHistory history(folder);
    if (parser.isSet(u"limit"_s)) {
        const std::optional<qint64> limit = sizeNamed(parser.value(u"limit"_s));
        if (!limit)
            return wrongCommandLine(u"--limit takes a size, as in 500M or 2G, not \"%1\""_s.arg(
                                        parser.value(u"limit"_s)),
                                    removedUsage);
        RemovalHistory::setLimit(*limit);
        history.trim(*limit);
        ExchangeResult result = finished(ExchangeDone);
        result.standardOutput =
            u"removal histories keep at most %1 bytes per folder\n"_s.arg(*limit).toUtf8();
        return result;
    }
    ExchangeResult result = finished(ExchangeDone);
    result.outputIsExport = true;
    QByteArray& out = result.standardOutput;
    history.read(
        [&out](RemovalBlock&& block) {
            const QByteArray time = shownTime(block.time).toUtf8();
            const QByteArray cause = removalField(block.cause.toUtf8());
            const ListPair& pairs = block.pairs;
            for (qsizetype i = pairs.first.size() - 1; i >= 0; --i)
                out += time + '\t' + removalField(pairs.first.at(i)) + '\t' +
                       removalField(pairs.second.at(i)) + '\t' + cause + '\n';
        },
        RemovalHistory::Order::NewestFirst);
    if (out.isEmpty())
        result.standardError =
            u"quillbook: no removed pairs kept for \"%1\"\n"_s.arg(history.listFolder());
    return result;
}

ExchangeResult restore(const QCommandLineParser& parser) {
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 2)
        return wrongCommandLine(u"restore takes at most one folder"_s, restoreUsage);
    RemovalFilter filter;
    if (parser.isSet(u"since"_s)) {
        filter.since = timeNamed(parser.value(u"since"_s));
        if (!filter.since)
            return wrongCommandLine(
                u"--since takes an ISO 8601 time, as in 2026-12-09 or "
                u"2026-12-09T10:15:00+01:00, not \"%1\""_s.arg(parser.value(u"since"_s)),
                restoreUsage);
    }
    filter.match = parser.value(u"match"_s);
    if (const QString problem = folderProblem(positional, 1); !problem.isEmpty())
        return finished(ExchangeWrongCommandLine, problem);
    const ImportCount count = restorePairs(positional.value(1, u"."_s), filter);
    ExchangeResult result = finished(ExchangeDone);
    result.standardOutput =
        u"%1 added, %2 already there\n"_s.arg(pairCount(count.added)).arg(count.present).toUtf8();
    return result;
}

} // namespace

bool isRemovalCommand(const QStringList& arguments) {
    return arguments.size() > 1 && (arguments[1] == u"removed"_s || arguments[1] == u"restore"_s);
}

ExchangeResult runRemoval(const QStringList& arguments) {
    const bool listing = arguments.value(1) == u"removed"_s;
    const QString& usage = listing ? removedUsage : restoreUsage;
    QCommandLineParser parser;
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Show this help."_s);
    parser.addOption(help);
    if (listing) {
        parser.addOption({u"limit"_s, u"Most bytes a folder's history keeps."_s, u"size"_s});
    } else {
        parser.addOption({u"since"_s, u"Pairs removed at or after this time."_s, u"time"_s});
        parser.addOption({u"match"_s, u"Text in the word or the meaning."_s, u"text"_s});
    }
    return runParsed(parser, arguments, help, usage,
                     [&] { return listing ? listRemoved(parser) : restore(parser); });
}

} // namespace quill
