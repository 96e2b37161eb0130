#pragma once
// Memory blocks for the executable's operator new. A library of tens of
// megabytes makes records and texts of tens of megabytes, and faulting those
// in 4 KiB at a time can cost more than building them: blocks of 4 MiB and
// more are taken 2 MiB-aligned and marked for transparent huge pages, so the
// kernel maps them 2 MiB at a time. Smaller blocks come from malloc as usual
// (below 4 MiB a partly used last huge page would cost more memory than the
// small pages cost time).
#include <cstddef>

namespace zelt {

// A block of `bytes` bytes aligned to `alignment` (0: malloc's own), or
// nullptr when there is no memory. Every block is released with free.
void* allocate_block(std::size_t bytes, std::size_t alignment) noexcept;

}  // namespace zelt
