#pragma once

#include "core/EntryList.h"

#include <QByteArray>
#include <QString>

namespace quill {

// The fixed list files, named without a folder: they land in the current directory.
inline constexpr char16_t PhraseFileName[] = u"Phrase.log";
inline constexpr char16_t MeanFileName[] = u"Mean.log";
inline constexpr char16_t BothFileName[] = u"Both.log";
inline constexpr char16_t ActualFileName[] = u"Actual.log";

// List files end every entry, the last one too, with CR LF; an empty list is an empty file.
QByteArray listText(const EntryList& entries);

// Splits a list file's bytes: a line ends at CR LF, a lone CR or a lone LF; a break at the very
// end adds no entry; a byte 0 ends the text. Bytes are kept as they are. Throws Failure
// "List too large" when the entries do not fit into one list.
EntryList splitListText(QByteArrayView bytes);
// The same, appending to the entries; false when the store refused them (nothing or only some
// of them were appended).
bool splitListText(QByteArrayView bytes, EntryList& entries);

// Reads a whole list file. Throws OpenFailure ("Cannot open file "%s". %s") when the file
// cannot be opened or is not a regular file. A file too large for a field is refused with a
// plain Failure of the same form ("... File too large"): it is not dropped like a missing
// file, so the user is told and a later save cannot silently replace the file.
EntryList readListFile(const QString& path);

// Writes the entries as a list file, replacing the old one atomically (see SafeFile). Throws the
// create failure or "Stream write error"; the old file then stays whole.
void writeListFile(const QString& path, const EntryList& entries);

} // namespace quill
