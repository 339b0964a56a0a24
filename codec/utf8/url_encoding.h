#pragma once
// Percent form of code-page-936 text, as web addresses carry Chinese text: a double-byte character
// is its lead and trail byte, each escaped.

#include <string>
#include <string_view>

namespace kelvaro {

/// Writes each double-byte character of code page 936 as "%" lead "%" trail (upper-case
/// hexadecimal: 中 gives %D6%D0) and each space as %20. Every other character stays itself: ASCII
/// including "%", "+", CR and LF, and also characters the code page lacks. Never fails.
[[nodiscard]] std::u16string URLEncode(std::u16string_view text);

/// Turns every "+" into a space, then reads escapes in one left-to-right pass (digits of either
/// case). "%" b1 "%" b2 with b1 of 0x81 or more and b1 b2 a double-byte character of code page 936
/// gives that character; otherwise "%" and two digits give the character of that single byte
/// (U+FFFD for a lone lead byte); any other "%" is copied. What a decode produces is never read
/// again, so %2541 gives %41 and %2B gives "+". Never fails.
[[nodiscard]] std::u16string URLDecode(std::u16string_view text);

} // namespace kelvaro
