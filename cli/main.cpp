#include "cli/command_line.h"

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <malloc.h>
#include <sys/mman.h>

namespace {

// A conversion of a large text holds a few buffers of the text's size at once, and faulting them
// in a 4 KiB page at a time cost as much as the conversion itself. So the heap is grown once, up
// front and untouched, marked for transparent huge pages, and kept: every later buffer comes from
// it, and freed buffers are reused instead of going back to the kernel.
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

} // namespace

int main(int argc, char** argv) {
  PrepareHeapForLargeTexts();
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return kelvaro::CommandLineMain(args, std::cin, std::cout, std::cerr);
}
