#include "cli/large_text_heap.h"

#include <malloc.h>

namespace kelvaro {

void PrepareHeapForLargeTexts() {
  mallopt(M_MMAP_MAX, 0);             // no separate mapping, however large the buffer
  mallopt(M_TRIM_THRESHOLD, 1 << 30); // freed memory stays for the next buffer
  mallopt(M_TOP_PAD, 16 << 20);       // grow the heap in large steps
}

} // namespace kelvaro
