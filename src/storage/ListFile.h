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
// end adds no entry; a byte 0 ends the text.
EntryList splitListText(QByteArrayView bytes);

// Reads a whole list file. Throws OpenFailure ("Cannot open file "%s". %s") when the file
// cannot be opened, is not a regular file, or is too large for a field.
EntryList readListFile(const QString& path);

// Writes the entries as a list file, replacing the old one atomically (see SafeFile).
void writeListFile(const QString& path, const EntryList& entries);

} // namespace quill
