#pragma once
// What the processor offers the vector loops beside their plain forms (text/utf8_validation.cpp,
// Base64's encoder), asked once.

namespace kelvaro {

/// Whether this is an x86-64 processor with AVX2 whose system saves its registers whole. False on
/// any other processor.
[[nodiscard]] bool ProcessorHasAvx2();

} // namespace kelvaro
