#include "codec/escape/unicode_escape.h"

#include "text/hex.h"
#include "text/utf.h"

namespace kelvaro {
namespace {

// The value of `count` hexadecimal digits at text[i], or nothing when the text ends sooner or one
// of them is no digit.
std::optional<char32_t> ReadHexDigits(std::u16string_view text, std::size_t i, std::size_t count) {
  if (text.size() - i < count)
    return std::nullopt;
  char32_t value = 0;
  for (std::size_t k = i; k < i + count; ++k) {
    const std::optional<std::uint8_t> digit = HexDigitValue(text[k]);
    if (!digit)
      return std::nullopt;
    value = value << 4 | *digit;
  }
  return value;
}

// A code point that an escape may stand for on its own: surrogates come only through four-digit
// escapes, which name code units.
bool IsScalarValue(char32_t value) { return value <= 0x10FFFF && !IsSurrogate(value); }

// What an escape stands for: the code point, and how many characters it spans.
struct Escape {
  char32_t value = 0;
  std::size_t length = 0;
};

// The escape whose backslash stands at text[i], or nothing when there is none there.
std::optional<Escape> ReadEscape(std::u16string_view text, std::size_t i) {
  if (i + 1 >= text.size())
    return std::nullopt;
  if (text[i + 1] == u'U') {
    const std::optional<char32_t> value = ReadHexDigits(text, i + 2, 8);
    if (!value || !IsScalarValue(*value))
      return std::nullopt;
    return Escape{*value, 10};
  }
  if (text[i + 1] != u'u')
    return std::nullopt;
  if (i + 2 < text.size() && text[i + 2] == u'{') {
    // Any number of leading zeros, as JavaScript allows; the value saturates above U+10FFFF so
    // that a long run of digits cannot overflow. The digits read here contain no backslash, so
    // no later escape reads them again: the whole pass stays linear.
    char32_t value = 0;
    std::size_t k = i + 3;
    for (; k < text.size(); ++k) {
      const std::optional<std::uint8_t> digit = HexDigitValue(text[k]);
      if (!digit)
        break;
      value = value > 0x10FFFF ? value : value << 4 | *digit;
    }
    if (k == i + 3 || k >= text.size() || text[k] != u'}' || !IsScalarValue(value))
      return std::nullopt;
    return Escape{value, k + 1 - i};
  }
  const std::optional<char32_t> unit = ReadHexDigits(text, i + 2, 4);
  if (!unit)
    return std::nullopt;
  return Escape{*unit, 6};
}

} // namespace

std::u16string UnicodeEscape(std::u16string_view text, bool upper) {
  const char16_t* digits = upper ? kHexUpper : kHexLower;
  // The exact length first, so the output is allocated once and filled through a pointer.
  std::size_t length = text.size();
  for (const char16_t unit : text)
    length += unit < 0x80 ? 0 : 5;
  std::u16string out(length, u'\0');
  char16_t* write = out.data();
  for (const char16_t unit : text) {
    if (unit < 0x80) {
      *write++ = unit;
      continue;
    }
    write[0] = u'\\';
    write[1] = u'u';
    write = WriteHexUnit(write + 2, unit, digits);
  }
  return out;
}

std::u16string UnicodeUnescape(std::u16string_view text) {
  // Every escape is at least as long as the code units it gives ("\U" and eight digits give at
  // most two), so the output never outgrows the input.
  std::u16string out(text.size(), u'\0');
  char16_t* write = out.data();
  std::size_t i = 0;
  while (i < text.size()) {
    const char16_t c = text[i];
    if (c != u'\\') {
      *write++ = c;
      ++i;
      continue;
    }
    const std::optional<Escape> escape = ReadEscape(text, i);
    if (!escape) {
      *write++ = c;
      ++i;
      continue;
    }
    write = WriteCodePoint(write, escape->value);
    i += escape->length;
  }
  out.resize(static_cast<std::size_t>(write - out.data()));
  return out;
}

} // namespace kelvaro
