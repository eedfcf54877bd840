#include "exchange/DelimitedText.h"

#include "core/Failure.h"
#include "exchange/DelimitedScanner.h"
#include "exchange/HtmlText.h"
#include "exchange/TextPosition.h"

#include <QList>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

struct AnkiHeader {
    char separator = 0; // 0: guessed from the first line
    bool html = false;
    QByteArray columns;          // the "#columns:" value, split once the separator is known
    std::set<qsizetype> skipped; // columns that hold tags, deck, note type or GUID
    qsizetype end = 0;           // where the data lines start
};

// Reads one "#key:value" line; `valueAt` is the value's offset in the text.
void readHeaderLine(QByteArrayView text, QByteArrayView key, QByteArrayView value,
                    qsizetype valueAt, AnkiHeader& header) {
    const QByteArray name = key.toByteArray().toLower();
    if (name == "separator") {
        header.separator = separatorNamed(value);
        if (header.separator == 0)
            failAt(text, valueAt, u"unknown separator \"%1\""_s.arg(QString::fromUtf8(value)));
    } else if (name == "html") {
        if (value.compare("true", Qt::CaseInsensitive) != 0 &&
            value.compare("false", Qt::CaseInsensitive) != 0)
            failAt(text, valueAt, u"#html: takes true or false"_s);
        header.html = value.compare("true", Qt::CaseInsensitive) == 0;
    } else if (name == "columns") {
        header.columns = value.toByteArray();
    } else if (name == "tags column" || name == "deck column" || name == "notetype column" ||
               name == "guid column") {
        bool ok = false;
        const int column = value.toByteArray().trimmed().toInt(&ok);
        if (!ok || column < 1)
            failAt(text, valueAt, u"a column number starts at 1"_s);
        header.skipped.insert(column - 1);
    }
}

AnkiHeader readHeader(QByteArrayView text, qsizetype start) {
    AnkiHeader header;
    qsizetype pos = start;
    while (pos < text.size() && text[pos] == '#') {
        qsizetype end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        const QByteArrayView line = text.sliced(pos + 1, end - pos - 1);
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            readHeaderLine(text, line.first(colon), line.sliced(colon + 1), pos + 2 + colon,
                           header);
        pos = end;
        if (pos < text.size() && text[pos] == '\r')
            ++pos;
        if (pos < text.size() && text[pos] == '\n')
            ++pos;
    }
    header.end = pos;
    return header;
}

char guessedSeparator(QByteArrayView text, qsizetype start) {
    qsizetype end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n')
        ++end;
    const QByteArrayView line = text.sliced(start, end - start);
    for (const char candidate : {'\t', '|', ';', ','}) {
        if (line.contains(candidate))
            return candidate;
    }
    return '\t';
}

// Columns named for tags, deck, note type or GUID hold no side of the pair.
void skipNamedColumns(AnkiHeader& header) {
    if (header.columns.isEmpty())
        return;
    const QList<QByteArray> names = header.columns.split(header.separator);
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QByteArray name = names[i].trimmed().toLower();
        if (name == "tags" || name == "deck" || name == "notetype" || name == "guid")
            header.skipped.insert(i);
    }
}

} // namespace

PairLists readAnkiText(QByteArrayView text, char separator) {
    requireUtf8(text);
    AnkiHeader header = readHeader(text, text.startsWith("\xEF\xBB\xBF") ? 3 : 0);
    if (separator != 0)
        header.separator = separator;
    else if (header.separator == 0)
        header.separator = guessedSeparator(text, header.end);
    skipNamedColumns(header);
    qsizetype columns[2] = {0, 0};
    for (qsizetype column = 0, found = 0; found < 2; ++column) {
        if (!header.skipped.contains(column))
            columns[found++] = column;
    }

    PairLists pairs;
    DelimitedScanner scanner(text, header.end, header.separator, true, '#');
    std::vector<std::string> fields;
    bool paired = false;
    while (scanner.next(fields)) {
        if (fields.empty())
            continue;
        paired = paired || columns[1] < qsizetype(fields.size());
        const auto field = [&](int side) {
            return columns[side] < qsizetype(fields.size()) ? QByteArrayView(fields[columns[side]])
                                                            : QByteArrayView();
        };
        if (!header.html) {
            if (!pairs.words.append(field(0)) || !pairs.meanings.append(field(1)))
                throw Failure(u"List too large"_s);
            continue;
        }
        QByteArray sides[2];
        for (int side = 0; side < 2; ++side) {
            const QByteArrayView html = field(side);
            sides[side] = QByteArray::fromStdString(
                plainFromHtml(std::string_view(html.data(), std::size_t(html.size()))));
            if (sides[side].contains('\r') || sides[side].contains('\n'))
                failAt(text, scanner.lineStart(),
                       u"a field holds a line break, which a list entry cannot hold"_s);
        }
        if (!pairs.words.append(sides[0]) || !pairs.meanings.append(sides[1]))
            throw Failure(u"List too large"_s);
    }
    if (pairs.size() > 0 && !paired)
        failOneColumn(header.separator);
    return pairs;
}

} // namespace quill
