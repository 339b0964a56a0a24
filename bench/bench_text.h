#pragma once
// The text every benchmark runs on, so that figures of the conversions and of the window compare.

#include <cstddef>
#include <string>

namespace kelvaro {

/// Chinese prose mixed with ASCII words, digits, punctuation and CR LF line breaks, about
/// `utf8Bytes` long when written as UTF-8. Every character is one code page 936 holds, so every
/// conversion sees text it can represent. The same length always gives the same text.
[[nodiscard]] std::u16string GenerateBenchText(std::size_t utf8Bytes);

} // namespace kelvaro
