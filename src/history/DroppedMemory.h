#pragma once

#include "core/EntryList.h"

#include <QtGlobal>

namespace quill {

// The memory the entries of `from` take (their bytes and offsets) that `to`, a list made from it,
// no longer holds: the entries between the stretch both lists begin with and the stretch both end
// with, where the entries lie at the same place in memory. A command changes a list in one place
// (a deletion, a clear, an append, a list put in its place), so this is what it let go of; a few
// lookups find it among millions of entries. Where a list changed in several places, everything
// between them counts, so the figure never falls short.
qint64 droppedBytes(const EntryList& from, const EntryList& to);

} // namespace quill
