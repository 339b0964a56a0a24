#include "cli/large_text_heap.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>
#include <thread>

namespace kelvaro {
namespace {

constexpr std::size_t kArena = std::size_t{512} << 20; // address space only until touched
constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

// The huge-page-aligned part of the reserved heap; empty until it is reserved.
std::uintptr_t g_heapBegin = 0;
std::uintptr_t g_heapEnd = 0;

} // namespace

void PrepareHeapForLargeTexts() {
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  void* arena = std::malloc(kArena);
  if (arena == nullptr) return;
  const auto start = reinterpret_cast<std::uintptr_t>(arena);
  const std::uintptr_t begin = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t end = (start + kArena) & ~(kHugePage - 1);
  madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE); // advice: failure is fine
  // Freed but kept: it is the top of the heap, where the next allocations are carved from.
  std::free(arena);
  g_heapBegin = begin;
  g_heapEnd = end;
}

void PrefaultHeapInBackground(std::size_t bytes) {
  if (g_heapBegin == 0 || bytes == 0) return;
  const std::uintptr_t end = std::min(g_heapEnd, g_heapBegin + ((bytes + kHugePage - 1) & ~(kHugePage - 1)));
  // MADV_POPULATE_WRITE maps the pages writable without writing to them, so the free heap's
  // contents stay as the allocator left them. A kernel without it just declines.
  std::thread([begin = g_heapBegin, end] {
    for (std::uintptr_t page = begin; page < end; page += kHugePage) {
      if (madvise(reinterpret_cast<void*>(page), kHugePage, MADV_POPULATE_WRITE) != 0) return;
    }
  }).detach();
}

} // namespace kelvaro
