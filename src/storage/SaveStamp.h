#pragma once

#include <QtGlobal>

#include <ctime>
#include <optional>

namespace quill {

// What a save's files held beyond each other: the lists as they were, uneven where their writer
// made them so (Own); a pair another program has written only half of (HalfPair; also the mark
// of even files, so that whatever another program appends to one of them later counts as half
// a pair); or what the writer could not tell, holding it back behind its pairs (Unknown).
enum class Excess { Own, HalfPair, Unknown };

// The modification time both files of a pair save get: the current second, and nanoseconds
// made of a random part and a check of it and the second. Equal times mark two files as written
// together; the check tells a file a save wrote from one another program wrote (one in ten
// thousand of those passes it by chance). File systems that keep no nanoseconds lose the check
// and keep the equality. A few bits of the random part carry `excess`.
timespec saveStamp(Excess excess = Excess::Own);
bool isSaveStamp(qint64 seconds, qint64 nanoseconds);
// What the save that left this time said of its files; nothing for a time no save left.
std::optional<Excess> stampedExcess(qint64 seconds, qint64 nanoseconds);

} // namespace quill
