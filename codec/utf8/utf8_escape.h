#pragma once
// UTF-8 percent escapes of UTF-16 text, worked directly on the code units (no code page involved).

#include <string>
#include <string_view>

namespace kelvaro {

/// Keeps every code unit below U+0080 (so "%", "+", CR and LF stay) and writes every other
/// character as the bytes of its UTF-8 form, each as "%" and two upper-case hexadecimal digits: a
/// surrogate pair is its one four-byte sequence (U+1F600 gives %F0%9F%98%80), and a lone
/// surrogate the three-byte form of its own value. Never fails.
[[nodiscard]] std::u16string UTF8Encode(std::u16string_view text);

/// Reads escaped UTF-8 back in one left-to-right pass. At each "%" it takes one well-formed
/// sequence of two to four escaped bytes (digits of either case): no overlong form, nothing above
/// U+10FFFF, and a three-byte form of a surrogate gives that code unit so that what UTF8Encode
/// writes comes back. Anything else, escapes of ASCII bytes included, is copied unchanged, and
/// line breaks stay as they are. Never fails.
[[nodiscard]] std::u16string UTF8Decode(std::u16string_view text);

} // namespace kelvaro
