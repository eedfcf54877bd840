#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <optional>

namespace quill {

// The "MemAvailable" figure of a /proc/meminfo text, in bytes.
std::optional<qint64> memAvailableBytes(QByteArrayView meminfo);

// Memory the system can still give without swapping, in bytes; a modest fixed figure when the
// system does not say.
qint64 availableMemoryBytes();

} // namespace quill
