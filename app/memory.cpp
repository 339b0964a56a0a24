#include "app/memory.h"

#include <cstdint>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace kelvaro::app {

void ReturnLargeBuffersToTheSystem() {
#if defined(__GLIBC__)
  // A fixed threshold also turns off the allocator's own raising of it. Below a mebibyte, the
  // cost of a mapping per buffer would show in typing and small clicks; above, it is nothing
  // beside the work that fills the buffer.
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

void ForgetPages(const void* from, const void* to) {
#if defined(__linux__)
  static const auto kPage = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  // Only pages wholly inside the range: the ones at its ends may hold what is still read.
  const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(from) + kPage - 1) / kPage * kPage;
  const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(to) / kPage * kPage;
  if (end > begin)
    madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
#else
  (void)from;
  (void)to;
#endif
}

} // namespace kelvaro::app
