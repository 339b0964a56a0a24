#pragma once
// Base64 of a text's code-page-936 bytes, and back. The alphabet and padding are RFC 4648's; the
// encoder writes no line breaks, and the decoder skips white space but rejects nothing.

#include <string>
#include <string_view>

namespace kelvaro {

/// Base64 of the text's code-page-936 bytes (a character the code page lacks is the byte "?"),
/// "=" padding, no line breaks. Empty text gives empty text. Never fails; any length.
[[nodiscard]] std::u16string Base64Encode(std::u16string_view text);

/// Reads Base64 from the text's code-page-936 bytes and decodes the bytes through code page 936
/// (see AnsiPairsToText). Space, tab, CR and LF are skipped wherever they stand; every other byte
/// outside the alphabet, "=" included, counts as zero bits, and a lone final byte is ignored.
/// The bytes fill a zero-filled buffer of round(3L / 4) + 1 bytes (L bytes counted, halves to
/// even), so for well-formed input the result ends with U+0000 characters (one spare, one per "="),
/// which the text box cuts. Never fails; any length.
[[nodiscard]] std::u16string Base64Decode(std::u16string_view text);

} // namespace kelvaro
