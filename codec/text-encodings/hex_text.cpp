#include "codec/text-encodings/hex_text.h"

#include "text/codepage.h"
#include "text/hex.h"

#include <cstdint>

namespace kelvaro {
namespace {

constexpr char16_t kMarker = u'O';

// How many groups HexToText reads from `length` characters: L/4 - 1 rounded half to even, plus
// one. The rounding is kept because it decides whether a two-character tail is read: with
// L = 4k + 2 it is read when k is even and silently left when k is odd.
std::size_t GroupCount(std::size_t length) {
  if (length < 2)
    return 0;
  // With L = 4w + q, L/4 - 1 is (w - 1) + q/4: a half (q = 2) goes up to w when w - 1 is odd.
  const std::size_t whole = length / 4;
  const std::size_t quarters = length % 4;
  const bool roundUp = quarters == 3 || (quarters == 2 && whole % 2 == 0);
  return whole + (roundUp ? 1 : 0);
}

// Value of one to four hex digits, or nothing when any of them is not a hex digit.
std::optional<std::uint16_t> HexValue(std::u16string_view digits) {
  if (digits.empty())
    return std::nullopt;
  std::uint16_t value = 0;
  for (const char16_t c : digits) {
    const std::optional<std::uint8_t> digit = HexDigitValue(c);
    if (!digit)
      return std::nullopt;
    value = static_cast<std::uint16_t>(value << 4 | *digit);
  }
  return value;
}

} // namespace

std::u16string TextToHex(std::u16string_view text) {
  std::u16string hex;
  hex.reserve(text.size() * 4);
  const std::uint16_t* codeOf = AnsiCodeTable();
  const auto appendGroup = [&hex](char16_t a, char16_t b, char16_t c, char16_t d) {
    const char16_t group[4] = {a, b, c, d};
    hex.append(group, 4);
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::uint16_t code = codeOf[text[i]];
    if (code > 0xFF) {
      char16_t group[4];
      hex.append(group, WriteHexUnit(group, code));
    } else if (code == u'\r' || code == u'\n') {
      // Every line break is one ODDO: CR LF, and a lone CR or LF as well, so that text with Unix
      // line breaks keeps them.
      if (code == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
        ++i;
      appendGroup(kMarker, u'D', u'D', kMarker);
    } else {
      appendGroup(kMarker, kHexUpper[code >> 4], kHexUpper[code & 0x0F], kMarker);
    }
  }
  return hex;
}

std::u16string HexToText(std::u16string_view hex) {
  const std::size_t groups = GroupCount(hex.size());
  std::u16string text;
  // A group gives at most two code units (a four-digit code of two single bytes).
  text.reserve(groups * 2);
  for (std::size_t k = 0; k < groups; ++k) {
    const std::u16string_view group = hex.substr(4 * k, 4);
    if (group.size() == 4 && group[0] == kMarker && group[3] == kMarker) {
      const std::u16string_view middle = group.substr(1, 2);
      if (middle == u"DD") {
        text += u"\r\n";
        continue;
      }
      if (const std::optional<std::uint16_t> value = HexValue(middle))
        AppendAnsiCodeChars(text, *value);
      continue;
    }
    if (const std::optional<std::uint16_t> value = HexValue(group))
      AppendAnsiCodeChars(text, *value);
  }
  return text;
}


namespace {

// The byte of two upper-case hexadecimal digits at hex[i]: the notation writes capitals, and
// words of the letters a-f are not read as it.
std::optional<std::uint8_t> UpperHexByteAt(std::u16string_view hex, std::size_t i) {
  const auto upper = [](char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'); };
  if (!upper(hex[i]) || !upper(hex[i + 1]))
    return std::nullopt;
  return HexByteAt(hex, i);
}

} // namespace

std::optional<std::string> HexGroupsToBytes(std::u16string_view hex) {
  if (hex.empty() || hex.size() % 4 != 0)
    return std::nullopt;
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 4) {
    if (hex[i] == u'O' && hex[i + 3] == u'O') {
      if (hex[i + 1] == u'D' && hex[i + 2] == u'D') {
        bytes += "\r\n";
        continue;
      }
      const std::optional<std::uint8_t> byte = UpperHexByteAt(hex, i + 1);
      if (!byte || *byte > 0x80)
        return std::nullopt;
      bytes.push_back(static_cast<char>(*byte));
      continue;
    }
    const std::optional<std::uint8_t> lead = UpperHexByteAt(hex, i);
    const std::optional<std::uint8_t> trail = UpperHexByteAt(hex, i + 2);
    if (!lead || *lead < 0x81 || !trail)
      return std::nullopt;
    bytes.push_back(static_cast<char>(*lead));
    bytes.push_back(static_cast<char>(*trail));
  }
  return bytes;
}
} // namespace kelvaro
