#include "exchange/AnkiPackage.h"

#include "core/Failure.h"
#include "exchange/AnkiCollection.h"
#include "exchange/SqliteDatabase.h"
#include "exchange/ZipArchive.h"
#include "exchange/ZstdData.h"

#include <QLocale>

#include <optional>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

[[noreturn]] void refuseSize(const QString& size, qint64 budget) {
    throw Failure(u"the Anki collection in this zip would unpack to %1, more than an eighth of "
                  u"the available memory (%2)"_s.arg(size, QLocale::c().formattedDataSize(budget)));
}

QByteArray unpacked(const ZipArchive& archive, qint64 index, bool compressed, qint64 budget) {
    const qint64 size = archive.unpackedSize(index);
    if (size > budget)
        refuseSize(QLocale::c().formattedDataSize(size), budget);
    const QByteArray entry = archive.read(index);
    if (!compressed)
        return entry;
    // The packed and the unpacked collection are in memory together for a moment.
    std::optional<QByteArray> collection;
    try {
        collection = unpackZstd(entry, budget - size);
    } catch (const Failure& failure) {
        throw Failure(u"a damaged Anki collection: "_s + failure.message());
    }
    if (!collection)
        refuseSize(u"more than %1"_s.arg(QLocale::c().formattedDataSize(budget - size)), budget);
    return *std::move(collection);
}

} // namespace

PairLists readAnkiPackage(const ZipArchive& archive, const ImportOptions& options,
                          qint64 memoryBudget) {
    static constexpr std::pair<const char*, bool> names[] = {
        {"collection.anki21b", true}, {"collection.anki21", false}, {"collection.anki2", false}};
    for (const auto& [name, compressed] : names) {
        const std::optional<qint64> index = archive.find(name);
        if (!index)
            continue;
        const QByteArray bytes = unpacked(archive, *index, compressed, memoryBudget);
        const SqliteDatabase database(bytes);
        if (!isAnkiCollection(database))
            throw Failure(
                u"a zip whose %1 is not an Anki collection (no tables notes and col)"_s.arg(
                    QString::fromLatin1(name)));
        return readAnkiCollection(database, options);
    }
    throw Failure(u"a zip archive without an Anki collection (collection.anki21b, "
                  u"collection.anki21 or collection.anki2)"_s);
}

} // namespace quill
