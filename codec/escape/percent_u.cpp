#include "codec/escape/percent_u.h"
#include "text/utf.h"

#include "text/codepage.h"
#include "text/hex.h"

#include <array>
#include <cstdint>

namespace kelvaro {
namespace {

// The codes that stay unescaped: a-z, @ and A-Z, - . / and 0-9, *, + and _. They are tested on the
// code-page code, so only single-byte characters can be kept.
constexpr std::array<bool, 256> kKept = [] {
  std::array<bool, 256> kept{};
  for (int a = 97; a <= 122; ++a)
    kept[a] = true;
  for (int a = 64; a <= 90; ++a)
    kept[a] = true;
  for (int a = 45; a <= 57; ++a)
    kept[a] = true;
  kept[42] = kept[43] = kept[95] = true;
  return kept;
}();

// A code that asks for "%u" and the unit's digits whatever the unit.
constexpr std::uint32_t kAlwaysPercentU = 0x10000;

// Escapes each code unit by its code: above 0xFF "%u" and the unit's four digits; a kept code
// the unit itself; any other "%" and the code's two digits. The script escape's code is the unit;
// the program's own is the unit's code-page-936 code, so only single-byte characters stay.
template <class CodeOf> std::u16string Escape(std::u16string_view text, CodeOf codeOf) {
  std::u16string out;
  out.reserve(text.size() * 6); // %uXXXX is the longest escape of one unit
  for (const char16_t unit : text) {
    const std::uint32_t code = codeOf(unit);
    if (code > 0xFF) {
      char16_t escape[6] = {u'%', u'u'};
      out.append(escape, WriteHexUnit(escape + 2, unit));
    } else if (kKept[code]) {
      out.push_back(unit);
    } else {
      AppendPercentByte(out, static_cast<std::uint8_t>(code));
    }
  }
  return out;
}

// Reads escapes in one left-to-right pass: "%u" (lower-case u only; %U4E2D is a "%" followed by
// text) and four digits give that unit, "%" and two digits the unit the byte stands for.
template <class UnitOfByteValue>
std::u16string Unescape(std::u16string_view text, UnitOfByteValue unitOf) {
  std::u16string out;
  out.reserve(text.size()); // every escape is longer than what it decodes to
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] != u'%') {
      out.push_back(text[i++]);
      continue;
    }
    ++i;
    if (i < text.size() && text[i] == u'u') {
      if (const std::optional<char16_t> unit = HexUnitAt(text, i + 1)) {
        out.push_back(*unit);
        i += 5;
        continue;
      }
    }
    if (const std::optional<std::uint8_t> byte = HexByteAt(text, i)) {
      out.push_back(unitOf(*byte));
      i += 2;
      continue;
    }
    out.push_back(u'%');
  }
  return out;
}

} // namespace

std::u16string vbs_escape(std::u16string_view text) {
  const std::uint16_t* codeOf = AnsiCodeTable();
  return Escape(text, [codeOf](char16_t unit) -> std::uint32_t {
    // A unit the code page lacks would be its "?" and be lost; %uXXXX keeps it, and reads back.
    if (codeOf[unit] == u'?' && unit != u'?')
      return kAlwaysPercentU;
    return codeOf[unit];
  });
}

std::u16string vbs_unescape(std::u16string_view text) {
  return Unescape(text, [](std::uint8_t byte) {
    const char16_t unit = UnitOfByte(byte);
    return unit == kLeadByte ? kReplacement : unit; // a lead byte alone is no character
  });
}

std::u16string ScriptEscape(std::u16string_view text) {
  return Escape(text, [](char16_t unit) { return static_cast<std::uint16_t>(unit); });
}

std::u16string ScriptUnescape(std::u16string_view text) {
  return Unescape(text, [](std::uint8_t byte) { return static_cast<char16_t>(byte); });
}

} // namespace kelvaro
