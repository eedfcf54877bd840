#pragma once

#include "core/EntryList.h"
#include "storage/SafeFile.h"
#include "storage/SaveStamp.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>

namespace quill {

// The fixed list files, named without a folder: they land in the current directory.
inline constexpr char16_t PhraseFileName[] = u"Phrase.log";
inline constexpr char16_t MeanFileName[] = u"Mean.log";
inline constexpr char16_t BothFileName[] = u"Both.log";
inline constexpr char16_t ActualFileName[] = u"Actual.log";

// List files end every entry, the last one too, with CR LF; an empty list is an empty file.
QByteArray listText(const EntryList& entries);
// The text of several lists one after the other, in one buffer; the watcher (when given) sees
// the bytes composed of all, after every MiB or so, and may throw to end the work.
using ListPieces = std::initializer_list<const EntryList*>;
QByteArray listText(ListPieces lists, const WriteWatcher& watch);

// Splits a list file's bytes: a line ends at CR LF, a lone CR or a lone LF; a break at the very
// end adds no entry. Every other byte, a byte 0 too, is kept as it is. Throws Failure
// "List too large" when the entries do not fit into one list.
EntryList splitListText(QByteArrayView bytes);
// The same, replacing the entries (their footprint limit stays) and packing them into the text's
// own buffer, so a large file is not copied; false when the store refuses them (the entries stay
// as they were).
bool splitListText(QByteArray text, EntryList& entries);

// What a save wrote, or a read found, of one list file: its length, its entries and a checksum
// of its bytes.
struct ListFileDigest {
    qint64 size = -1; // -1: nothing known
    qsizetype entries = 0;
    std::uint64_t checksum = 0;
};

// Reads a whole list file. Throws OpenFailure ("Cannot open file "%s". %s") when the file
// cannot be opened or is not a regular file. A file too large for a field is refused with a
// plain Failure of the same form ("... File too large"): it is not dropped like a missing
// file, so the user is told and a later save cannot silently replace the file.
EntryList readListFile(const QString& path);
// The same, with a watcher that sees the reading (see ReadWatcher) and may throw to end it.
EntryList readListFile(const QString& path, const ReadWatcher& watch);
// The same, but a file that does not exist (nor its folder) gives nothing; a file that exists
// and cannot be read (no permission, a folder, a FIFO, a read error) still throws.
// `digest`, when given, describes the file as read.
std::optional<EntryList> readListFileIfPresent(const QString& path,
                                               ListFileDigest* digest = nullptr);

// The entries appended to a list file since it was as `known` describes, when it still begins
// with those bytes and they are entries [0, known.entries) of `ours` as a list file holds them;
// with `knownTail`, the known entries are the first ones of `ours` followed by those of the tail.
// Only the appended bytes are kept in memory. Nothing when the file no longer begins so (or is
// gone); `digest` then describes the whole file. Throws what reading throws.
std::optional<EntryList> readAppendedEntries(const QString& path, const ListFileDigest& known,
                                             const EntryList& ours, ListFileDigest& digest,
                                             const EntryList* knownTail = nullptr);

// Writes the entries as a list file, replacing the old one atomically (see SafeFile). Throws the
// create failure or "Stream write error"; the old file then stays whole.
void writeListFile(const QString& path, const EntryList& entries);
// The same, with a watcher that sees the writing (see WriteWatcher) and may throw to end it.
void writeListFile(const QString& path, const EntryList& entries, const WriteWatcher& watch);

// Writes two list files as one unit: both are created, written and synced before either is
// renamed into place, so any failure before the renames (the create failure of either, a full
// disk) leaves both old files whole; only a crash between the two renames can split the pair.
// Both get one modification time, a save stamp (see SaveStamp.h) that tells what one file holds
// beyond the other: `excess`, or, when they hold as many entries, that they hold pairs only.
// Throws the failure of the first file that fails, as writeListFile does. The lists of a file may
// come in pieces, written one after the other. Returns what was written, and whether each file
// begins with the bytes of the version `known` describes, if given: then that version's entries
// are the head of the new ones.
using ListFileDigests = std::array<ListFileDigest, 2>;
struct WrittenPair {
    ListFileDigests digests;
    std::array<bool, 2> extendsKnown{};
};
WrittenPair writeListFilePair(const QString& firstPath, ListPieces first, const QString& secondPath,
                              ListPieces second, const ListFileDigests* known = nullptr,
                              Excess excess = Excess::Own);
inline WrittenPair writeListFilePair(const QString& firstPath, const EntryList& first,
                                     const QString& secondPath, const EntryList& second) {
    return writeListFilePair(firstPath, {&first}, secondPath, {&second});
}

} // namespace quill
