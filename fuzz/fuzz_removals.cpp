// Reading any bytes as a file of a removal history must not crash; the blocks it finds end where
// the reader says, and written again they read back the same.
#include "storage/RemovalBlock.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

std::vector<quill::RemovalBlock> blocksIn(QByteArrayView bytes, qsizetype& end) {
    std::vector<quill::RemovalBlock> blocks;
    end = quill::readRemovalBlocks(
        bytes, [&blocks](quill::RemovalBlock&& block) { blocks.push_back(std::move(block)); });
    return blocks;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    qsizetype end = 0;
    const std::vector<quill::RemovalBlock> blocks = blocksIn(bytes, end);
    if (end < 0 || end > bytes.size() || (blocks.empty() && end != 0))
        std::abort();
    QByteArray again;
    for (const quill::RemovalBlock& block : blocks) {
        const qsizetype count = block.pairs.view().size();
        if (quill::appendRemovalBlock(again, block.pairs.view(), 0, count, block.time, block.cause,
                                      block.continues, qsizetype(1) << 30) != count)
            std::abort();
    }
    const std::vector<quill::RemovalBlock> back = blocksIn(again, end);
    if (end != again.size() || back.size() != blocks.size())
        std::abort();
    for (std::size_t i = 0; i < back.size(); ++i) {
        const quill::RemovalBlock& a = blocks[i];
        const quill::RemovalBlock& b = back[i];
        if (a.time != b.time || a.continues != b.continues || !(a.pairs.first == b.pairs.first) ||
            !(a.pairs.second == b.pairs.second))
            std::abort();
    }
    return 0;
}
