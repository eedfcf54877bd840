#pragma once

#include <QtGlobal>

#include <ctime>

namespace quill {

// The modification time both files of a pair save get: the current second, and nanoseconds
// made of a random part and a check of it and the second. Equal times mark two files as written
// together; the check tells a file a save wrote from one another program wrote (one in ten
// thousand of those passes it by chance). File systems that keep no nanoseconds lose the check
// and keep the equality.
timespec saveStamp();
bool isSaveStamp(qint64 seconds, qint64 nanoseconds);

} // namespace quill
