#include "base/huge_pages.hpp"

#include <sys/mman.h>

#include <cstdlib>

namespace zelt {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kHugeFrom = std::size_t{4} << 20;

std::size_t rounded_up(std::size_t bytes, std::size_t unit) { return (bytes + unit - 1) / unit * unit; }

}  // namespace

void* allocate_block(std::size_t bytes, std::size_t alignment) noexcept {
  if (bytes >= kHugeFrom && alignment <= kHugePage) {
    const std::size_t rounded = rounded_up(bytes, kHugePage);
    if (rounded < bytes) return nullptr;
    void* block = std::aligned_alloc(kHugePage, rounded);
    // Only advice: where huge pages are off, the block works as any other.
    if (block) ::madvise(block, rounded, MADV_HUGEPAGE);
    return block;
  }
  if (alignment <= alignof(std::max_align_t)) return std::malloc(bytes == 0 ? 1 : bytes);
  const std::size_t rounded = rounded_up(bytes == 0 ? 1 : bytes, alignment);
  return rounded < bytes ? nullptr : std::aligned_alloc(alignment, rounded);
}

}  // namespace zelt
