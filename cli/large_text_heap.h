#pragma once

#include <cstddef>

namespace kelvaro {

/// Prepares the process heap for conversions of large texts, which hold a few buffers of the
/// text's size at once: the heap is grown once, up front and untouched, marked for transparent
/// huge pages, and kept, so every later buffer comes from it and freed buffers are reused instead
/// of going back to the kernel. Faulting those buffers in a 4 KiB page at a time otherwise costs
/// as much as the conversion itself. Call once, first thing in main.
void PrepareHeapForLargeTexts();

/// Starts faulting in the first `bytes` of that heap on another thread, so that the kernel clears
/// the pages there while this thread reads and converts. Does nothing before
/// PrepareHeapForLargeTexts or when it could not reserve the heap.
void PrefaultHeapInBackground(std::size_t bytes);

} // namespace kelvaro
