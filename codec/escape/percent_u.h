#pragma once
// Script escapes: %XX for a single-byte character of code page 936, %uXXXX for a UTF-16 code unit.

#include <string>
#include <string_view>

namespace kelvaro {

/// Escapes every UTF-16 code unit. Letters, digits and @ * _ + - . / stay as they are; any other
/// single-byte character of code page 936 becomes "%" and the two upper-case hexadecimal digits of
/// its byte; a double-byte character, and a unit the code page lacks (ก, each half of 😀), becomes
/// "%u" and the four upper-case hexadecimal digits of its code unit, so nothing is lost. Never fails.
[[nodiscard]] std::u16string vbs_escape(std::u16string_view text);

/// Reads escapes back in one left-to-right pass. "%u" and four hexadecimal digits (either case)
/// give that code unit; otherwise "%" and two hexadecimal digits give the code-page-936 character
/// of that byte (U+FFFD for a lone lead byte); any other "%" is copied. What a decode produces is
/// never read again, so %2541 gives %41. Never fails.
[[nodiscard]] std::u16string vbs_unescape(std::u16string_view text);

/// JavaScript's escape(), on code units: letters, digits and @ * _ + - . / stay; any other unit
/// below U+0100 becomes "%" and two upper-case hexadecimal digits, every other "%u" and four. The
/// form script escapes take in every charset but GBK. Never fails.
[[nodiscard]] std::u16string ScriptEscape(std::u16string_view text);

/// JavaScript's unescape(): "%u" and four hexadecimal digits give that code unit, "%" and two give
/// the unit of that value; any other "%" stays. One left-to-right pass. Never fails.
[[nodiscard]] std::u16string ScriptUnescape(std::u16string_view text);

} // namespace kelvaro
