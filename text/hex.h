#pragma once
// Hexadecimal digits as the notations read and write them: one digit table, readers of the
// digits of a byte, of a "%XX" escape and of a UTF-16 unit, and writers of their digits.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

inline constexpr char16_t kHexUpper[] = u"0123456789ABCDEF";
inline constexpr char16_t kHexLower[] = u"0123456789abcdef";

/// Values of the ASCII hexadecimal digits of either case; -1 for every other ASCII character.
inline constexpr std::array<std::int8_t, 128> kHexDigitValues = [] {
  std::array<std::int8_t, 128> values{};
  values.fill(-1);
  for (int d = 0; d < 10; ++d)
    values['0' + d] = static_cast<std::int8_t>(d);
  for (int d = 0; d < 6; ++d) {
    values['A' + d] = static_cast<std::int8_t>(10 + d);
    values['a' + d] = static_cast<std::int8_t>(10 + d);
  }
  return values;
}();

/// Value of one hexadecimal digit of either case, or nothing for any other character. A table,
/// since decoders call it for every digit of every escape.
[[nodiscard]] constexpr std::optional<std::uint8_t> HexDigitValue(char16_t c) {
  if (c >= 128 || kHexDigitValues[c] < 0)
    return std::nullopt;
  return static_cast<std::uint8_t>(kHexDigitValues[c]);
}

/// The byte whose two hexadecimal digits (either case) stand at text[i] and text[i + 1], or
/// nothing when the text ends sooner or either is no digit.
[[nodiscard]] constexpr std::optional<std::uint8_t> HexByteAt(std::u16string_view text,
                                                              std::size_t i) {
  if (i + 1 >= text.size())
    return std::nullopt;
  const std::optional<std::uint8_t> high = HexDigitValue(text[i]);
  const std::optional<std::uint8_t> low = HexDigitValue(text[i + 1]);
  if (!high || !low)
    return std::nullopt;
  return static_cast<std::uint8_t>(*high << 4 | *low);
}

/// The byte of a "%XX" escape starting at text[i], or nothing when there is none there.
[[nodiscard]] constexpr std::optional<std::uint8_t> PercentByteAt(std::u16string_view text,
                                                                  std::size_t i) {
  return i < text.size() && text[i] == u'%' ? HexByteAt(text, i + 1) : std::nullopt;
}

/// The UTF-16 unit whose four hexadecimal digits stand at text[i], or nothing.
[[nodiscard]] constexpr std::optional<char16_t> HexUnitAt(std::u16string_view text,
                                                          std::size_t i) {
  const std::optional<std::uint8_t> high = HexByteAt(text, i);
  const std::optional<std::uint8_t> low = high ? HexByteAt(text, i + 2) : std::nullopt;
  if (!low)
    return std::nullopt;
  return static_cast<char16_t>(*high << 8 | *low);
}

/// Writes the two hexadecimal digits of a byte (a leading zero below 0x10) and gives the end; into
/// text, or into the ASCII bytes of a result written out as UTF-8.
template <class Char>
inline Char* WriteHexByte(Char* out, std::uint8_t byte, const char16_t* digits = kHexUpper) {
  out[0] = static_cast<Char>(digits[byte >> 4]);
  out[1] = static_cast<Char>(digits[byte & 0x0F]);
  return out + 2;
}

/// Writes the four hexadecimal digits of a UTF-16 unit (leading zeros kept) and gives the end.
inline char16_t* WriteHexUnit(char16_t* out, char16_t unit, const char16_t* digits = kHexUpper) {
  out = WriteHexByte(out, static_cast<std::uint8_t>(unit >> 8), digits);
  return WriteHexByte(out, static_cast<std::uint8_t>(unit & 0xFF), digits);
}

/// Appends the two upper-case hexadecimal digits of a byte, with a leading zero below 0x10.
inline void AppendHexByte(std::u16string& out, std::uint8_t byte) {
  out.push_back(kHexUpper[byte >> 4]);
  out.push_back(kHexUpper[byte & 0x0F]);
}

/// Writes "%" and the two upper-case hexadecimal digits of a byte and gives the end.
template <class Char> inline Char* WritePercentByte(Char* out, std::uint8_t byte) {
  *out = static_cast<Char>('%');
  return WriteHexByte(out + 1, byte);
}

/// Appends "%" and the two upper-case hexadecimal digits of a byte, in one append: the encoders
/// write little else.
inline void AppendPercentByte(std::u16string& out, std::uint8_t byte) {
  char16_t escape[3];
  out.append(escape, WritePercentByte(escape, byte));
}

} // namespace kelvaro
