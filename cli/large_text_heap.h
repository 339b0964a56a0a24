#pragma once

namespace kelvaro {

/// Prepares the process heap for conversions of large texts, which hold a few buffers of the
/// text's size at once: every buffer comes from the heap rather than from a mapping of its own,
/// and freed memory is kept, so a later buffer reuses pages already faulted in instead of the
/// kernel clearing fresh ones for each. Call once, first thing in main.
void PrepareHeapForLargeTexts();

} // namespace kelvaro
