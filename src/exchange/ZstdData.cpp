#include "exchange/ZstdData.h"

#include "core/Failure.h"

#include <zstd.h>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

[[noreturn]] void failDamaged(std::size_t code) {
    throw Failure(u"damaged zstd data (%1)"_s.arg(QString::fromUtf8(ZSTD_getErrorName(code))));
}

} // namespace

std::optional<QByteArray> unpackZstd(QByteArrayView data, qint64 limit) {
    const unsigned long long stated =
        ZSTD_getFrameContentSize(data.data(), std::size_t(data.size()));
    if (stated == ZSTD_CONTENTSIZE_ERROR)
        throw Failure(u"damaged zstd data (no zstd frame)"_s);
    if (stated != ZSTD_CONTENTSIZE_UNKNOWN && stated > (unsigned long long)limit)
        return std::nullopt;

    const std::unique_ptr<ZSTD_DCtx, decltype(&ZSTD_freeDCtx)> context(ZSTD_createDCtx(),
                                                                       &ZSTD_freeDCtx);
    if (!context)
        throw Failure(u"Out of memory"_s);
    QByteArray out;
    if (stated != ZSTD_CONTENTSIZE_UNKNOWN)
        out.reserve(qsizetype(stated));
    ZSTD_inBuffer in{data.data(), std::size_t(data.size()), 0};
    std::size_t pending = 1; // the frame is not finished
    while (in.pos < in.size || pending != 0) {
        const qsizetype used = out.size();
        qsizetype room = std::max<qsizetype>(ZSTD_DStreamOutSize(), used / 2);
        if (stated != ZSTD_CONTENTSIZE_UNKNOWN && qint64(stated) > used)
            room = qsizetype(stated) - used + 1; // one byte more shows data past the stated size
        room = qsizetype(std::min<qint64>(room, limit - used + 1));
        out.resize(used + room);
        ZSTD_outBuffer buffer{out.data() + used, std::size_t(room), 0};
        const std::size_t before = in.pos;
        pending = ZSTD_decompressStream(context.get(), &buffer, &in);
        if (ZSTD_isError(pending))
            failDamaged(pending);
        out.resize(used + qsizetype(buffer.pos));
        if (out.size() > limit)
            return std::nullopt;
        // Input used up in the middle of a frame: the data is cut short.
        if (in.pos == in.size && pending != 0 && buffer.pos == 0 && in.pos == before)
            throw Failure(u"damaged zstd data (the data ends inside a frame)"_s);
    }
    return out;
}

} // namespace quill
