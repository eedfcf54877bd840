#include "exchange/DelimitedText.h"

#include "core/ByteText.h"
#include "core/Failure.h"
#include "exchange/DelimitedScanner.h"
#include "exchange/TextPosition.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

void appendQuoted(QByteArray& out, QByteArrayView field) {
    out += '"';
    for (const char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void appendAnkiField(QByteArray& out, QByteArrayView field) {
    const bool quote = field.startsWith('#') || field.contains('\t') || field.contains('"') ||
                       field.contains('\r') || field.contains('\n');
    quote ? appendQuoted(out, field) : void(out += field);
}

void appendCsvField(QByteArray& out, QByteArrayView field) {
    const bool quote =
        field.contains(',') || field.contains('"') || field.contains('\r') || field.contains('\n');
    quote ? appendQuoted(out, field) : void(out += field);
}

QByteArray reservedText(const PairLists& pairs, QByteArrayView head) {
    QByteArray out;
    out.reserve(head.size() + pairs.words.byteSize() + pairs.meanings.byteSize() +
                pairs.size() * 4);
    out += head;
    return out;
}

template <typename AppendField>
QByteArray writeLines(const PairLists& pairs, QByteArrayView head, char separator,
                      QByteArrayView lineEnd, AppendField appendField) {
    QByteArray out = reservedText(pairs, head);
    QByteArray scratch;
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        appendField(out, readableUtf8(pairs.word(i), scratch));
        out += separator;
        appendField(out, readableUtf8(pairs.meaning(i), scratch));
        out += lineEnd;
    }
    return out;
}

constexpr QByteArrayView ByteOrderMark = "\xEF\xBB\xBF";

qsizetype skipByteOrderMark(QByteArrayView text) {
    return text.startsWith(ByteOrderMark) ? ByteOrderMark.size() : 0;
}

// Adds the line's chosen fields as a pair; a missing field is empty.
void addPair(PairLists& pairs, const std::vector<std::string>& fields, qsizetype wordColumn,
             qsizetype meaningColumn) {
    const auto field = [&](qsizetype column) {
        return column < qsizetype(fields.size()) ? QByteArrayView(fields[column])
                                                 : QByteArrayView();
    };
    if (!pairs.words.append(field(wordColumn)) || !pairs.meanings.append(field(meaningColumn)))
        throw Failure(u"List too large"_s);
}

PairLists readLines(QByteArrayView text, qsizetype start, char separator, bool quotes) {
    requireUtf8(text);
    PairLists pairs;
    DelimitedScanner scanner(text, start, separator, quotes);
    std::vector<std::string> fields;
    bool paired = false;
    while (scanner.next(fields)) {
        if (!fields.empty())
            addPair(pairs, fields, 0, 1);
        paired = paired || fields.size() > 1;
    }
    if (pairs.size() > 0 && !paired)
        failOneColumn(separator);
    return pairs;
}

constexpr std::array<char, 3> csvCandidates = {'\t', ';', ','}; // a tie goes to the first
using CandidateCounts = std::array<int, csvCandidates.size()>;

// How often each candidate occurs outside quoted fields in the line at `pos`, which moves past
// the line's end; nothing for a blank line.
std::optional<CandidateCounts> candidateCounts(QByteArrayView text, qsizetype& pos) {
    const qsizetype start = pos;
    CandidateCounts counts{};
    bool quoted = false;
    for (; pos < text.size() && text[pos] != '\r' && text[pos] != '\n'; ++pos) {
        const char c = text[pos];
        quoted = c == '"' ? !quoted : quoted;
        for (std::size_t i = 0; i < csvCandidates.size(); ++i)
            counts[i] += !quoted && c == csvCandidates[i] ? 1 : 0;
    }
    const bool blank = pos == start;
    if (pos < text.size() && text[pos] == '\r')
        ++pos;
    if (pos < text.size() && text[pos] == '\n')
        ++pos;
    return blank ? std::nullopt : std::optional(counts);
}

} // namespace

QByteArray writeAnkiText(const PairLists& pairs) {
    return writeLines(pairs, "#separator:tab\n#html:false\n#columns:Front\tBack\n", '\t', "\n",
                      appendAnkiField);
}

QByteArray writeCsv(const PairLists& pairs, bool byteOrderMark) {
    const QByteArray head = (byteOrderMark ? "\xEF\xBB\xBF"_ba : QByteArray()) + "Word,Meaning\r\n";
    return writeLines(pairs, head, ',', "\r\n", appendCsvField);
}

QByteArray writeTsv(const PairLists& pairs) {
    qsizetype first = -1;
    qsizetype count = 0;
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        if (pairs.word(i).isEmpty() || pairs.word(i).contains('\t') ||
            pairs.meaning(i).contains('\t')) {
            first = count == 0 ? i : first;
            ++count;
        }
    }
    refuseUnwritablePairs("tsv", first, count, u"a tab, or no word"_s);
    // Readers drop a byte order mark at the start, so a first word that begins with one gets
    // one more in front.
    const bool markFirst =
        pairs.size() > 0 && readableUtf8(pairs.word(0)).startsWith(ByteOrderMark);
    return writeLines(pairs, markFirst ? ByteOrderMark : QByteArrayView(), '\t', "\n",
                      [](QByteArray& out, QByteArrayView field) { out += field; });
}

char separatorNamed(QByteArrayView name) {
    static constexpr std::pair<const char*, char> names[] = {{"comma", ','}, {"semicolon", ';'},
                                                             {"tab", '\t'},  {"space", ' '},
                                                             {"pipe", '|'},  {"colon", ':'}};
    for (const auto& [known, separator] : names) {
        if (name.compare(known, Qt::CaseInsensitive) == 0)
            return separator;
    }
    if (name.size() == 1 && (name[0] == '\t' || (name[0] != '"' && name[0] != '#' &&
                                                 static_cast<unsigned char>(name[0]) >= 0x20 &&
                                                 static_cast<unsigned char>(name[0]) < 0x80)))
        return name[0];
    return 0;
}

char csvSeparator(QByteArrayView text) {
    constexpr int sampledLines = 50;
    qsizetype pos = skipByteOrderMark(text);
    std::optional<CandidateCounts> first;
    CandidateCounts likeFirst{}; // lines with as many as the first line
    CandidateCounts holding{};   // lines with any
    for (int line = 0; line < sampledLines && pos < text.size();) {
        const std::optional<CandidateCounts> counts = candidateCounts(text, pos);
        if (!counts)
            continue;
        first = first ? first : counts;
        for (std::size_t i = 0; i < csvCandidates.size(); ++i) {
            likeFirst[i] += (*counts)[i] == (*first)[i] ? 1 : 0;
            holding[i] += (*counts)[i] > 0 ? 1 : 0;
        }
        ++line;
    }
    if (!first)
        return ',';
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < csvCandidates.size(); ++i) {
        if ((*first)[i] > 0 && (!best || likeFirst[i] > likeFirst[*best]))
            best = i;
    }
    const bool chosenByFirst = best.has_value();
    for (std::size_t i = 0; i < csvCandidates.size() && !chosenByFirst; ++i) {
        if (holding[i] > 0 && (!best || holding[i] > holding[*best]))
            best = i;
    }
    return best ? csvCandidates[*best] : ',';
}

PairLists readCsv(QByteArrayView text, char separator) {
    const qsizetype start = skipByteOrderMark(text);
    PairLists pairs = readLines(text, start, separator != 0 ? separator : csvSeparator(text), true);
    if (pairs.size() > 0 && pairs.word(0).compare("Word", Qt::CaseInsensitive) == 0 &&
        pairs.meaning(0).compare("Meaning", Qt::CaseInsensitive) == 0) {
        pairs.words.remove(0);
        pairs.meanings.remove(0);
    }
    return pairs;
}

PairLists readTsv(QByteArrayView text) {
    return readLines(text, skipByteOrderMark(text), '\t', false);
}

PairLists readWords(QByteArrayView text) {
    requireUtf8(text);
    PairLists pairs;
    for (qsizetype pos = skipByteOrderMark(text); pos < text.size();) {
        qsizetype end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        if (end > pos && (!pairs.words.append(text.sliced(pos, end - pos)) ||
                          !pairs.meanings.append(QByteArrayView())))
            throw Failure(u"List too large"_s);
        pos = end < text.size() && text[end] == '\r' ? end + 1 : end;
        pos = pos < text.size() && text[pos] == '\n' ? pos + 1 : pos;
    }
    return pairs;
}

} // namespace quill
