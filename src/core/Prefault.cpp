#include "core/Prefault.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace quill {

void prefault(void* start, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    constexpr std::size_t Worthwhile = 1 << 20;
    if (bytes < Worthwhile)
        return;
    const auto page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    const auto begin = (std::uintptr_t(start) + page - 1) & ~(page - 1);
    const auto end = (std::uintptr_t(start) + bytes) & ~(page - 1);
    if (begin < end)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    (void)start;
    (void)bytes;
#endif
}

} // namespace quill
