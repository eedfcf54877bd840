#include "storage/ListFile.h"

#include "core/Failure.h"
#include "storage/SafeFile.h"

#include <cstring>

using namespace Qt::StringLiterals;

namespace quill {

namespace {

constexpr char Cr = '\r';
constexpr char Lf = '\n';
// Entries are gathered into pieces of about this size before they are written.
constexpr qsizetype WriteChunk = qsizetype(1) << 20;

// Calls take(begin, end) for every line. A break is CR LF, a lone CR or a lone LF; a break at
// the very end adds no line.
template <typename Take> void forEachLine(QByteArrayView text, Take&& take) {
    const char* const data = text.data();
    const qsizetype size = text.size();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < size) {
        const char c = data[i];
        if (c != Cr && c != Lf) {
            ++i;
            continue;
        }
        if (!take(start, i))
            return;
        i += (c == Cr && i + 1 < size && data[i + 1] == Lf) ? 2 : 1;
        start = i;
    }
    if (start < size)
        take(start, size);
}

} // namespace

QByteArray listText(const EntryList& entries) {
    const qsizetype count = entries.size();
    QByteArray text(entries.byteSize() + 2 * count, Qt::Uninitialized);
    char* out = text.data();
    for (qsizetype i = 0; i < count; ++i) {
        const QByteArrayView entry = entries.at(i);
        if (!entry.isEmpty())
            std::memcpy(out, entry.data(), size_t(entry.size()));
        out += entry.size();
        *out++ = Cr;
        *out++ = Lf;
    }
    return text;
}

bool splitListText(QByteArrayView text, EntryList& entries) {
    // Count first, so the store takes every entry without growing.
    qsizetype count = 0;
    qsizetype entryBytes = 0;
    forEachLine(text, [&](qsizetype begin, qsizetype end) {
        ++count;
        entryBytes += end - begin;
        return true;
    });
    if (!entries.canTake(entryBytes, count))
        return false;
    entries.reserve(entries.byteSize() + entryBytes, entries.size() + count);
    bool taken = true;
    forEachLine(text, [&](qsizetype begin, qsizetype end) {
        taken = entries.append(text.sliced(begin, end - begin));
        return taken;
    });
    return taken;
}

EntryList splitListText(QByteArrayView bytes) {
    EntryList entries;
    if (!splitListText(bytes, entries))
        throw Failure(u"List too large"_s);
    return entries;
}

namespace {

// A field addresses its bytes with 32-bit offsets; a larger file cannot be loaded whole.
constexpr qsizetype MaxListFile = qsizetype(0xFFFFFFFFu);

EntryList splitFile(const QString& path, QByteArrayView bytes) {
    EntryList entries;
    if (!splitListText(bytes, entries))
        throw Failure(u"Cannot open file \"%1\". File too large"_s.arg(fullPath(path)));
    return entries;
}

void writeEntries(SafeFile& file, const EntryList& entries) {
    QByteArray chunk;
    chunk.reserve(WriteChunk + 2);
    const qsizetype count = entries.size();
    for (qsizetype i = 0; i < count; ++i) {
        const QByteArrayView entry = entries.at(i);
        if (entry.size() >= WriteChunk) {
            // A very long entry goes out directly instead of through the chunk.
            file.write(chunk);
            chunk.resize(0);
            file.write(entry);
        } else {
            chunk.append(entry);
        }
        chunk.append("\r\n", 2);
        if (chunk.size() >= WriteChunk) {
            file.write(chunk);
            chunk.resize(0);
        }
    }
    file.write(chunk);
}

} // namespace

EntryList readListFile(const QString& path) {
    return splitFile(path, readWholeFile(path, MaxListFile));
}

std::optional<EntryList> readListFileIfPresent(const QString& path) {
    const std::optional<QByteArray> bytes = readWholeFileIfPresent(path, MaxListFile);
    if (!bytes)
        return std::nullopt;
    return splitFile(path, *bytes);
}

void writeListFile(const QString& path, const EntryList& entries) {
    SafeFile file(path);
    writeEntries(file, entries);
    file.commit();
}

void writeListFilePair(const QString& firstPath, const EntryList& first, const QString& secondPath,
                       const EntryList& second) {
    // Both files are created before either is written, so a refusal costs no writing.
    SafeFile firstFile(firstPath);
    SafeFile secondFile(secondPath);
    writeEntries(firstFile, first);
    writeEntries(secondFile, second);
    SafeFile::commitAll({&firstFile, &secondFile});
}

} // namespace quill
