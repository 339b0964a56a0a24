// kelvaro-cli and kelvaro-bench hold a few buffers of a large text's size at once (its bytes, its
// code units, the result). On the virtual machines this runs on, each fresh 4 KiB page costs about
// ten microseconds to fault in, which is most of the time of a whole 8 MiB conversion: the same
// buffers on transparent huge pages fault once per 2 MiB. So every allocation of a mebibyte or more
// gets a mapping of its own, advised to use huge pages; smaller ones go to malloc as usual.
//
// This file replaces the global operator new and delete of the executables that link it; the
// core, the tests and the window keep the standard ones.

#include <array>
#include <cstdlib>
#include <mutex>
#include <new>
#include <sys/mman.h>

namespace {

constexpr std::size_t kLarge = std::size_t{1} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

struct Mapping {
  void* at = nullptr;
  std::size_t size = 0;
};

// The live mappings; a program holds a handful at once. When all places are taken, a large
// buffer comes from malloc like any other.
std::array<Mapping, 64> g_mappings;
std::mutex g_mutex;

void* MapLarge(std::size_t size) {
  const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
  void* at = mmap(nullptr, rounded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (at == MAP_FAILED)
    return nullptr;
  madvise(at, rounded, MADV_HUGEPAGE); // a hint: without huge pages the mapping still works
  const std::lock_guard lock(g_mutex);
  for (Mapping& mapping : g_mappings) {
    if (mapping.at == nullptr) {
      mapping = {at, rounded};
      return at;
    }
  }
  munmap(at, rounded);
  return nullptr;
}

// Unmaps `at` if it is one of the mappings; false when it came from malloc.
bool UnmapLarge(void* at) {
  const std::lock_guard lock(g_mutex);
  for (Mapping& mapping : g_mappings) {
    if (mapping.at == at) {
      munmap(at, mapping.size);
      mapping = {};
      return true;
    }
  }
  return false;
}

void* Allocate(std::size_t size) {
  if (size >= kLarge) {
    if (void* at = MapLarge(size))
      return at;
  }
  if (void* at = std::malloc(size == 0 ? 1 : size))
    return at;
  throw std::bad_alloc();
}

void Release(void* at, std::size_t size) noexcept {
  if (at == nullptr)
    return;
  // A size below the threshold cannot be a mapping; an unsized release has to look.
  if ((size == 0 || size >= kLarge) && UnmapLarge(at))
    return;
  std::free(at);
}

} // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* at) noexcept { Release(at, 0); }
void operator delete[](void* at) noexcept { Release(at, 0); }
void operator delete(void* at, std::size_t size) noexcept { Release(at, size == 0 ? 1 : size); }
void operator delete[](void* at, std::size_t size) noexcept { Release(at, size == 0 ? 1 : size); }
