#include "core/AvailableMemory.h"

#include <QByteArray>
#include <QFile>

namespace quill {

std::optional<qint64> memAvailableBytes(QByteArrayView meminfo) {
    constexpr QByteArrayView key = "MemAvailable:";
    const qsizetype at = meminfo.indexOf(key);
    if (at < 0)
        return std::nullopt;
    qsizetype i = at + key.size();
    while (i < meminfo.size() && (meminfo[i] == ' ' || meminfo[i] == '\t'))
        ++i;
    qint64 kilobytes = 0;
    const qsizetype digitsStart = i;
    while (i < meminfo.size() && meminfo[i] >= '0' && meminfo[i] <= '9') {
        if (kilobytes > (qint64(1) << 50))
            return std::nullopt;
        kilobytes = kilobytes * 10 + (meminfo[i] - '0');
        ++i;
    }
    if (i == digitsStart)
        return std::nullopt;
    return kilobytes * 1024;
}

qint64 availableMemoryBytes() {
    QFile file(QStringLiteral("/proc/meminfo"));
    if (file.open(QIODevice::ReadOnly)) {
        if (const std::optional<qint64> bytes = memAvailableBytes(file.read(64 * 1024)))
            return *bytes;
    }
    return qint64(512) * 1024 * 1024;
}

} // namespace quill
