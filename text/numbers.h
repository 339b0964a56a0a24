#pragma once
// Reading numbers out of text, the three ways the conversions need.

#include "text/result.h"

#include <cstdint>
#include <string_view>

namespace kelvaro {

/// The longest number at the start of the text, after leading blanks: an optional sign, digits, an
/// optional fraction and exponent, or "&H" and hexadecimal digits (up to four read as signed
/// 16-bit, more as signed 32-bit). 0 when the text does not begin with a number. Never fails.
[[nodiscard]] double ParseNumber(std::u16string_view text);

/// The whole text, blanks around it allowed, as a decimal number rounded half to even, or "&H" and
/// one to eight hexadecimal digits (up to four read as signed 16-bit, more as signed 32-bit).
/// Errors: NotANumber for anything else, OutOfRange past the signed 32-bit range.
[[nodiscard]] Result<std::int32_t> ToInteger(std::u16string_view text);

/// True when ToInteger would read the text, leaving out the range limit. Blank text is no number.
[[nodiscard]] bool IsNumber(std::u16string_view text);

/// The text without blanks (spaces and tabs) at either end.
[[nodiscard]] std::u16string_view TrimBlanks(std::u16string_view text);

} // namespace kelvaro
