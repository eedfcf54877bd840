#pragma once

#include <cstddef>

namespace quill {

// Makes the pages of a freshly allocated buffer of `bytes` bytes present at once, large pages
// where it spans them, so filling and reading it costs no page fault per page (costly on
// virtual machines). Small buffers and systems without the call are left alone: it only saves
// time.
void prefault(void* start, std::size_t bytes);

} // namespace quill
