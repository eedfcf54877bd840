#include "core/Prefault.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace quill {

namespace {

// The usual size of a large page on x86-64 and arm64.
constexpr std::uintptr_t LargePage = std::uintptr_t(2) << 20;

} // namespace

void prefault(void* start, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    constexpr std::size_t Worthwhile = 1 << 20;
    if (bytes < Worthwhile)
        return;
    const auto page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    const auto begin = (std::uintptr_t(start) + page - 1) & ~(page - 1);
    const auto end = (std::uintptr_t(start) + bytes) & ~(page - 1);
    if (begin >= end)
        return;
#ifdef MADV_HUGEPAGE
    // Where the buffer spans whole large pages it asks for them: one fault and one TLB entry
    // instead of 512. On virtual machines the first touch of each small page costs microseconds,
    // so filling a buffer of a hundred megabytes took longer than reading it from the cache.
    const auto largeBegin = (begin + LargePage - 1) & ~(LargePage - 1);
    const auto largeEnd = end & ~(LargePage - 1);
    if (largeBegin < largeEnd)
        ::madvise(reinterpret_cast<void*>(largeBegin), largeEnd - largeBegin, MADV_HUGEPAGE);
#endif
    ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    (void)start;
    (void)bytes;
#endif
}

} // namespace quill
