// The executable's allocation functions: large blocks in huge pages (see
// base/huge_pages.hpp), everything else from malloc as before; every block
// is released with free.
#include <cstdlib>
#include <new>

#include "base/huge_pages.hpp"

namespace {

void* take(std::size_t bytes, std::size_t alignment) {
  void* block = zelt::allocate_block(bytes, alignment);
  if (!block) throw std::bad_alloc();
  return block;
}

}  // namespace

void* operator new(std::size_t bytes) { return take(bytes, 0); }
void* operator new[](std::size_t bytes) { return take(bytes, 0); }
void* operator new(std::size_t bytes, std::align_val_t alignment) {
  return take(bytes, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t bytes, std::align_val_t alignment) {
  return take(bytes, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  return zelt::allocate_block(bytes, 0);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
  return zelt::allocate_block(bytes, 0);
}
void* operator new(std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return zelt::allocate_block(bytes, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return zelt::allocate_block(bytes, static_cast<std::size_t>(alignment));
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, std::align_val_t) noexcept { std::free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { std::free(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { std::free(block); }
