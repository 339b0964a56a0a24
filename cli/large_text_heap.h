#pragma once

namespace kelvaro {

/// Prepares the process heap for conversions of large texts, which hold a few buffers of the
/// text's size at once: the heap is grown once, up front and untouched, marked for transparent
/// huge pages, and kept, so every later buffer comes from it and freed buffers are reused instead
/// of going back to the kernel. Faulting those buffers in a 4 KiB page at a time otherwise costs
/// as much as the conversion itself. Call once, first thing in main.
void PrepareHeapForLargeTexts();

} // namespace kelvaro
