#include "storage/ListFile.h"

#include "core/Failure.h"
#include "storage/SafeFile.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace quill {

namespace {

constexpr char Cr = '\r';
constexpr char Lf = '\n';
// Entries are gathered into pieces of about this size before they are written.
constexpr qsizetype WriteChunk = qsizetype(1) << 20;

struct LineCount {
    qsizetype lines = 0;
    qsizetype breakBytes = 0;
};

// Lines and line-break bytes of the text: a break is CR LF, a lone CR or a lone LF; a break at
// the very end adds no line. One branch-free pass, which the compiler vectorises.
LineCount countLines(const char* data, qsizetype size) {
    if (size == 0)
        return {};
    qsizetype breaks = 0;
    qsizetype breakBytes = 0;
    for (qsizetype i = 0; i + 1 < size; ++i) {
        const bool cr = data[i] == Cr;
        const bool lf = data[i] == Lf;
        breakBytes += qsizetype(cr | lf);
        // CR LF counts once, at its LF.
        breaks += qsizetype(lf | (cr & (data[i + 1] != Lf)));
    }
    const bool endsWithBreak = data[size - 1] == Cr || data[size - 1] == Lf;
    return {breaks + 1, breakBytes + qsizetype(endsWithBreak)};
}

constexpr std::uint64_t EveryByte = 0x0101010101010101u;
constexpr std::uint64_t HighBits = 0x8080808080808080u;

// The high bit of the first CR or LF byte of the word is set (others may be too, but only
// above it), or none when the word holds neither.
std::uint64_t breakBits(std::uint64_t word) {
    const auto zeroBytes = [](std::uint64_t x) {
        return (x - EveryByte) & ~x & HighBits;
    };
    return zeroBytes(word ^ (EveryByte * std::uint8_t(Cr))) |
           zeroBytes(word ^ (EveryByte * std::uint8_t(Lf)));
}

// Moves every line of the text to the front of its buffer, each right behind the one before and
// without its break, and notes where each ends. Lines only move towards the front, and nothing
// is written past what has been read, so one buffer serves as both.
void packLines(char* data, qsizetype size, std::vector<EntryList::Offset>& ends) {
    const bool lastLineOpen = size > 0 && data[size - 1] != Cr && data[size - 1] != Lf;
    qsizetype in = 0;
    qsizetype out = 0;
    // Ends the line at the break at `in`: steps over the break, CR LF as one.
    const auto endLine = [&](char breakByte, bool lfFollows) {
        ends.push_back(EntryList::Offset(out));
        in += (breakByte == Cr && lfFollows) ? 2 : 1;
    };
    if constexpr (std::endian::native == std::endian::little) {
        // Eight bytes at a time; lines are short, so most words hold a break.
        while (in + qsizetype(sizeof(std::uint64_t)) <= size) {
            std::uint64_t word;
            std::memcpy(&word, data + in, sizeof word);
            const std::uint64_t bits = breakBits(word);
            if (bits == 0) {
                std::memcpy(data + out, &word, sizeof word);
                in += qsizetype(sizeof word);
                out += qsizetype(sizeof word);
                continue;
            }
            const int before = std::countr_zero(bits) / 8;
            // Once the lines lie a word behind, the whole word may go: what follows the line
            // lands where the next lines will be written anyway.
            if (in - out >= qsizetype(sizeof word))
                std::memcpy(data + out, &word, sizeof word);
            else
                std::memcpy(data + out, &word, size_t(before));
            in += before;
            out += before;
            const char breakByte = char(word >> (8 * before));
            // The byte behind the break is still in the word, or not yet overwritten.
            const bool lfFollows = before + 1 < int(sizeof word)
                                       ? char(word >> (8 * (before + 1))) == Lf
                                       : in + 1 < size && data[in + 1] == Lf;
            endLine(breakByte, lfFollows);
        }
    }
    while (in < size) {
        const char c = data[in];
        if (c == Cr || c == Lf) {
            endLine(c, in + 1 < size && data[in + 1] == Lf);
        } else {
            data[out++] = c;
            ++in;
        }
    }
    if (lastLineOpen)
        ends.push_back(EntryList::Offset(out));
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

bool splitListText(QByteArray text, EntryList& entries) {
    const LineCount count = countLines(text.constData(), text.size());
    const qsizetype entryBytes = text.size() - count.breakBytes;
    EntryList fresh;
    fresh.setFootprintLimit(entries.footprintLimit());
    if (!fresh.canTake(entryBytes, count.lines))
        return false;
    std::vector<EntryList::Offset> ends;
    ends.reserve(size_t(count.lines));
    packLines(text.data(), text.size(), ends);
    // The breaks' room goes back; a large buffer shrinks where it is.
    text.truncate(entryBytes);
    text.squeeze();
    entries.adopt(std::move(text), std::move(ends));
    return true;
}

EntryList splitListText(QByteArrayView bytes) {
    EntryList entries;
    if (!splitListText(bytes.toByteArray(), entries))
        throw Failure(u"List too large"_s);
    return entries;
}

namespace {

// A field addresses its bytes with 32-bit offsets; a larger file cannot be loaded whole.
constexpr qsizetype MaxListFile = qsizetype(0xFFFFFFFFu);

EntryList splitFile(const QString& path, QByteArray bytes) {
    EntryList entries;
    if (!splitListText(std::move(bytes), entries))
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
    return splitFile(path, std::move(*bytes));
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
