#pragma once

#include "storage/ListPairMerge.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace quill {

// Pairs a save took out of the lists, as the removal history keeps them: when, why, and the
// pairs with their exact bytes. One save's pairs may take several blocks; the later ones are
// marked as continuing it.
struct RemovalBlock {
    qint64 time = 0; // milliseconds since 1970-01-01 UTC
    QString cause;   // the caption of the command that saved, or "merged"
    bool continues = false;
    ListPair pairs; // word i and meaning i, even
};

// A block on disk: a header (a mark, the content's length and a checksum of it), the content,
// and a trailer (the length again and a mark), so the last block of a file can be checked from
// the file's end. A block holds as many pairs as fit in its content's size (at least one).
inline constexpr qsizetype RemovalHeaderSize = 16;
inline constexpr qsizetype RemovalTrailerSize = 8;

// Appends to `out` one block of the pairs [from, to) of `lists` (padded: a missing entry is
// empty), as many as fit in about `maxContent` bytes; returns the index after the last pair taken.
qsizetype appendRemovalBlock(QByteArray& out, const PairView& lists, qsizetype from, qsizetype to,
                             qint64 time, const QString& cause, bool continues,
                             qsizetype maxContent);

// Hands the whole blocks of `bytes` to `take` in order, passing over bytes that are none (a
// write that a kill cut short, damage), and returns where the last whole block ends.
qsizetype readRemovalBlocks(QByteArrayView bytes,
                            const std::function<void(RemovalBlock&&)>& take = {});

// The length of the whole block that the trailer at the end of a file closes, or nothing when
// those bytes are no trailer.
std::optional<qsizetype> removalBlockEndingWith(QByteArrayView trailer);

} // namespace quill
