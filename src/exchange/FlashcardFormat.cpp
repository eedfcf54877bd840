#include "exchange/FlashcardFormat.h"

#include "core/Failure.h"
#include "exchange/DelimitedText.h"
#include "exchange/KvtmlText.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

QByteArrayView firstLine(QByteArrayView content) {
    qsizetype end = 0;
    while (end < content.size() && content[end] != '\r' && content[end] != '\n')
        ++end;
    return content.first(end);
}

bool looksLikeKvtml(QByteArrayView content) {
    const QByteArrayView head = content.first(std::min<qsizetype>(content.size(), 1024));
    return head.trimmed().startsWith("<") && head.toByteArray().contains("<kvtml");
}

} // namespace

std::optional<FlashcardFormat> flashcardFormatNamed(QStringView name) {
    static constexpr std::pair<QStringView, FlashcardFormat> names[] = {
        {u"anki", FlashcardFormat::Anki},
        {u"csv", FlashcardFormat::Csv},
        {u"tsv", FlashcardFormat::Tsv},
        {u"kvtml", FlashcardFormat::Kvtml},
        {u"words", FlashcardFormat::Words}};
    for (const auto& [known, format] : names) {
        if (name.compare(known, Qt::CaseInsensitive) == 0)
            return format;
    }
    return std::nullopt;
}

FlashcardFormat detectFlashcardFormat(const QString& fileName, QByteArrayView content) {
    if (content.startsWith("\xEF\xBB\xBF"))
        content = content.sliced(3);
    if (content.startsWith("#separator:") || content.startsWith("#html:") ||
        content.startsWith("#columns:"))
        return FlashcardFormat::Anki;
    if (looksLikeKvtml(content))
        return FlashcardFormat::Kvtml;
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"kvtml"_s)
        return FlashcardFormat::Kvtml;
    if (suffix == u"csv"_s)
        return FlashcardFormat::Csv;
    if (suffix == u"tsv"_s || suffix == u"tab"_s)
        return FlashcardFormat::Tsv;
    if (suffix == u"txt"_s || content.startsWith("#"))
        return FlashcardFormat::Anki;
    return firstLine(content).contains('\t') ? FlashcardFormat::Tsv : FlashcardFormat::Csv;
}

QByteArray writeFlashcards(FlashcardFormat format, const PairLists& pairs,
                           const ExportOptions& options) {
    switch (format) {
    case FlashcardFormat::Anki:
        return writeAnkiText(pairs);
    case FlashcardFormat::Csv:
        return writeCsv(pairs, options.byteOrderMark);
    case FlashcardFormat::Tsv:
        return writeTsv(pairs);
    case FlashcardFormat::Words:
        throw Failure(u"words cannot be exported"_s);
    case FlashcardFormat::Kvtml:
        break;
    }
    return writeKvtml(pairs, options);
}

PairLists readFlashcards(FlashcardFormat format, QByteArrayView content,
                         const ImportOptions& options) {
    switch (format) {
    case FlashcardFormat::Anki:
        return readAnkiText(content, options.separator);
    case FlashcardFormat::Csv:
        return readCsv(content, options.separator);
    case FlashcardFormat::Tsv:
        return readTsv(content);
    case FlashcardFormat::Words:
        return readWords(content);
    case FlashcardFormat::Kvtml:
        break;
    }
    return readKvtml(content);
}

} // namespace quill
