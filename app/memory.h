#pragma once
// The window's memory for big texts. A conversion of megabytes makes buffers of tens of megabytes
// (its input, its result, the result laid out for the box) that live for one click. The C
// library's allocator keeps a freed buffer for later use once it has raised its threshold for
// mapping to the size of the last one freed, so after a few big clicks the window would hold
// hundreds of megabytes that no box uses, and the next click's buffers would come on top of them.

#include <cstddef>

namespace kelvaro::app {

/// Every buffer of a mebibyte or more gets a mapping of its own, which goes back to the system as
/// soon as it is freed. Called once, before the window is made.
void ReturnLargeBuffersToTheSystem();

/// Gives the whole pages between `from` and `to` back to the system at once, for a buffer of
/// megabytes that is read once, front to back, and freed when it has been read: a text laid out
/// for a box, or written into one, is then never held whole twice. The memory stays its owner's,
/// who must not read it again (it reads as zeros).
void ForgetPages(const void* from, const void* to);

/// How much of such a buffer is read between two calls of ForgetPages, in UTF-16 code units.
inline constexpr std::size_t kForgetUnits = std::size_t{1} << 18;

} // namespace kelvaro::app
