#include "cli/large_text_heap.h"

#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>

namespace kelvaro {

void PrepareHeapForLargeTexts() {
  constexpr std::size_t kArena = std::size_t{512} << 20; // address space only until touched
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  void* arena = std::malloc(kArena);
  if (arena == nullptr) return;
  const auto start = reinterpret_cast<std::uintptr_t>(arena);
  const std::uintptr_t begin = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t end = (start + kArena) & ~(kHugePage - 1);
  madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE); // advice: failure is fine
  std::free(arena);
}

} // namespace kelvaro
