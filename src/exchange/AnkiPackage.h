#pragma once

#include "exchange/FlashcardFormat.h"
#include "exchange/PairLists.h"

namespace quill {

class ZipArchive;

// An Anki package (.apkg, .colpkg): a zip holding collection.anki21b (the collection
// compressed with zstd), collection.anki21 or collection.anki2, taken in that order (a newer
// package keeps an older collection beside it only to tell old programs to update). The
// collection is unpacked into memory, refused before unpacking when it would take more than
// `memoryBudget` bytes. Reads it as readAnkiCollection does. Throws Failure for a zip without a
// collection, a collection too large, an encrypted or damaged one.
PairLists readAnkiPackage(const ZipArchive& archive, const ImportOptions& options,
                          qint64 memoryBudget);

} // namespace quill
