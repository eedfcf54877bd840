#pragma once

#include <QByteArray>

#include <optional>

namespace quill {

// The data of zstd frames unpacked, or nothing when it would pass `limit` bytes: a frame that
// states its size is refused before unpacking, another one as soon as it passes. Throws Failure
// "damaged zstd data (...)" for data that is not zstd or does not unpack.
std::optional<QByteArray> unpackZstd(QByteArrayView data, qint64 limit);

} // namespace quill
