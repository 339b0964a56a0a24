#pragma once
// "\u" escapes of UTF-16 code units, as JSON, JavaScript and Java properties write them.

#include <string>
#include <string_view>

namespace kelvaro {

/// Writes every UTF-16 code unit from U+0080 up as "\u" and its four hexadecimal digits (lower
/// case, capitals when `upper`), so a character outside the BMP becomes the escapes of its two
/// surrogates and a lone surrogate the escape of itself. Code units below U+0080 stay as they
/// are, quotes, backslashes and control characters included: this is not a JSON string encoder,
/// and a text that already holds "\u4e2d" does not come back from UnicodeUnescape. Never fails.
[[nodiscard]] std::u16string UnicodeEscape(std::u16string_view text, bool upper = false);

/// Reads escapes back in one left-to-right pass, hexadecimal digits of either case:
/// - "\u" and four digits give that code unit (so a high and a low escape give one character,
///   and a lone surrogate escape gives that lone unit);
/// - "\U" and eight digits, and "\u{" one or more digits "}", give that code point.
/// A "\U" or "\u{}" value above U+10FFFF or in D800..DFFF is no character: the escape stays as it
/// is. A backslash that starts none of these, or that is cut short, is copied and the reading
/// goes on right after it; what a decode produces is never read again. Never fails.
[[nodiscard]] std::u16string UnicodeUnescape(std::u16string_view text);

} // namespace kelvaro
