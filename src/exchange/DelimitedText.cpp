#include "exchange/DelimitedText.h"

#include "core/ByteText.h"
#include "core/Failure.h"
#include "exchange/DelimitedScanner.h"
#include "exchange/HtmlText.h"
#include "exchange/TextPosition.h"

#include <QList>

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
    while (scanner.next(fields)) {
        if (!fields.empty())
            addPair(pairs, fields, 0, 1);
    }
    return pairs;
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

PairLists readCsv(QByteArrayView text) {
    const qsizetype start = skipByteOrderMark(text);
    PairLists pairs = readLines(text, start, ',', true);
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

} // namespace quill
