#pragma once
// URI components as JavaScript's encodeURIComponent and decodeURIComponent write and read them:
// UTF-8 always, whatever code page the rest of the program works in.

#include <string>
#include <string_view>

namespace kelvaro {

/// Keeps A-Z a-z 0-9 and - _ . ! ~ * ' ( ) and writes every other character as the bytes of its
/// UTF-8 form, each as "%" and two upper-case hexadecimal digits (a surrogate pair is one
/// character: 😀 gives %F0%9F%98%80). Where JavaScript throws on a lone surrogate, this writes
/// the UTF-8 of U+FFFD, %EF%BF%BD. Never fails.
[[nodiscard]] std::u16string UriComponentEncode(std::u16string_view text);

/// Reads escaped UTF-8 back in one left-to-right pass, digits of either case. At each "%" it
/// takes one well-formed UTF-8 sequence (RFC 3629: no overlong form, no surrogate, nothing above
/// U+10FFFF) of one to four escaped bytes, so %41 gives A and %25 gives "%". Where JavaScript
/// throws, this copies the "%" that starts no such sequence and goes on right after it: %E4%B8%41
/// gives %E4%B8A. What a decode produces is never read again. Never fails.
[[nodiscard]] std::u16string UriComponentDecode(std::u16string_view text);

} // namespace kelvaro
