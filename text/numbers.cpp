#include "text/numbers.h"

#include "text/hex.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>

namespace kelvaro {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Length of the decimal number at the start of text: [sign] digits [. digits] [e [sign] digits],
// with at least one mantissa digit; 0 when there is none.
std::size_t DecimalPrefixLength(std::u16string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
    ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i]))
    ++i, ++digits;
  if (i < text.size() && text[i] == u'.') {
    ++i;
    while (i < text.size() && IsDigit(text[i]))
      ++i, ++digits;
  }
  if (digits == 0)
    return 0;
  if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == u'+' || text[j] == u'-'))
      ++j;
    const std::size_t exponentStart = j;
    while (j < text.size() && IsDigit(text[j]))
      ++j;
    if (j > exponentStart)
      i = j;
  }
  return i;
}

double DecimalValue(std::u16string_view number) {
  std::string ascii(number.begin(), number.end()); // every unit is ASCII: the prefix scan said so
  if (!ascii.empty() && ascii.front() == '+')
    ascii.erase(0, 1);
  double value = 0;
  std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  return value;
}

bool StartsWithHexMark(std::u16string_view text) {
  return text.size() >= 2 && text[0] == u'&' && (text[1] == u'H' || text[1] == u'h');
}

// Hexadecimal digits after "&H" as the old integer types hold them: up to four digits are a
// 16-bit pattern, more a 32-bit one.
std::int32_t HexValue(std::u16string_view digits) {
  std::uint32_t bits = 0;
  for (const char16_t c : digits)
    bits = bits << 4 | static_cast<std::uint32_t>(HexDigitValue(c));
  if (digits.size() <= 4)
    return static_cast<std::int16_t>(bits & 0xFFFF);
  return static_cast<std::int32_t>(bits);
}

std::size_t HexDigitRun(std::u16string_view text) {
  std::size_t n = 0;
  while (n < text.size() && HexDigitValue(text[n]) >= 0)
    ++n;
  return n;
}

// The number that the whole (trimmed) text is, or nothing.
std::optional<double> WholeNumber(std::u16string_view text) {
  text = TrimBlanks(text);
  if (text.empty())
    return std::nullopt;
  if (StartsWithHexMark(text)) {
    const std::u16string_view digits = text.substr(2);
    if (digits.empty() || digits.size() > 8 || HexDigitRun(digits) != digits.size())
      return std::nullopt;
    return HexValue(digits);
  }
  if (DecimalPrefixLength(text) != text.size())
    return std::nullopt;
  return DecimalValue(text);
}

} // namespace

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

double ParseNumber(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  if (StartsWithHexMark(text)) {
    const std::size_t n = HexDigitRun(text.substr(2));
    return n == 0 ? 0.0 : HexValue(text.substr(2, std::min<std::size_t>(n, 8)));
  }
  const std::size_t length = DecimalPrefixLength(text);
  return length == 0 ? 0.0 : DecimalValue(text.substr(0, length));
}

Result<std::int32_t> ToInteger(std::u16string_view text) {
  const std::optional<double> value = WholeNumber(text);
  if (!value)
    return Fail(ErrorCode::NotANumber);
  const double rounded = std::nearbyint(*value); // the default rounding mode: half to even
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
    return Fail(ErrorCode::OutOfRange);
  return static_cast<std::int32_t>(rounded);
}

bool IsNumber(std::u16string_view text) { return WholeNumber(text).has_value(); }

} // namespace kelvaro
