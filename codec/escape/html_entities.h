#pragma once
// HTML character references: "&amp;", "&#20013;", "&#x4E2D;" and the other named references of
// HTML5.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

/// Writes & < > " ' as &amp; &lt; &gt; &quot; &#39; and every character from U+0080 up as "&#",
/// its code point in decimal and ";" (one reference for a surrogate pair: 😀 gives &#128512;).
/// A lone surrogate has no code point to refer to and is written as &#65533; (U+FFFD), which is
/// also what HtmlDecode would make of a reference to the surrogate itself. Every other character
/// below U+0080 stays as it is. Never fails. HtmlDecode gives the text back, except for what
/// HTML5 reads differently: U+0080..U+009F (replaced), the noncharacters (dropped) and lone
/// surrogates.
[[nodiscard]] std::u16string HtmlEncode(std::u16string_view text);

/// Reads every character reference back exactly as Python's html.unescape does, in one
/// left-to-right pass:
/// - "&#" and decimal digits, or "&#x" / "&#X" and hexadecimal digits, with or without ";":
///   0x80..0x9F give the characters HTML5 puts in their place (0x80 gives €), 0 gives U+FFFD and
///   0x0D a carriage return; surrogates and values above U+10FFFF give U+FFFD; the noncharacters
///   and the controls HTML5 forbids (01..08, 0B, 0E..1F, 7F, FDD0..FDEF, xFFFE and xFFFF of every
///   plane) give nothing; every other value its character.
/// - "&", a name of HTML5 and ";" give its characters. Without the ";" only the 106 legacy names
///   (&amp, &lt, &copy, ...) are read, and the longest of them that starts the run of name
///   characters is taken: "&notit;" gives "¬it;".
/// Any other "&" is copied. What a decode produces is never read again. Never fails. Python
/// refuses decimal references of more than 4300 digits (its integer limit); here they read like
/// any other, so &#00...065; gives A.
[[nodiscard]] std::u16string HtmlDecode(std::u16string_view text);

/// A numeric reference as an encoder writes it: its character, its length in code units and its
/// base.
struct NumericReference {
  char32_t value = 0;
  std::size_t length = 0;
  bool hex = false;
};

/// The strict form of one reference, for recognising a pasted text: the numeric reference
/// "&#N;" or "&#xH;" ("x" or "X", digits of either case, at most eight, the ";" required) that
/// starts at text[i]. Nothing when none starts there, or when it names no character that text
/// holds: U+0000, a surrogate, or beyond U+10FFFF.
[[nodiscard]] std::optional<NumericReference> NumericReferenceAt(std::u16string_view text,
                                                                 std::size_t i);

} // namespace kelvaro
