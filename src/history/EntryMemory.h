#pragma once

#include "core/EntryList.h"

#include <QtGlobal>

#include <vector>

namespace quill {

// The memory the entries of some lists lie in, counting what several lists share once: copies of
// a list share its blocks, and the entry store keeps every stretch of a list back to back in one
// block, so each list is seen as the address ranges of its stretches.
class EntryMemory {
public:
    void add(const EntryList& list);
    void add(const EntryMemory& other);

    // Bytes held here and not by `other`: the entries' bytes and one offset per entry.
    qint64 bytesNotIn(const EntryMemory& other) const;

private:
    struct Span {
        quintptr begin = 0;
        quintptr end = 0;
        qsizetype entries = 0;
    };
    // The spans sorted, the overlapping ones joined.
    std::vector<Span> joined() const;

    std::vector<Span> spans_;
};

} // namespace quill
