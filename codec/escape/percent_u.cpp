#include "codec/escape/percent_u.h"

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

// Value of the four hexadecimal digits at text[i], or -1.
std::int32_t HexUnitAt(std::u16string_view text, std::size_t i) {
  const int high = HexByteAt(text, i);
  if (high < 0)
    return -1;
  const int low = HexByteAt(text, i + 2);
  return low < 0 ? -1 : high << 8 | low;
}

} // namespace

std::u16string vbs_escape(std::u16string_view text) {
  std::u16string out;
  // Six characters is the longest escape of one code unit (%uXXXX).
  out.reserve(text.size() * 6);
  const std::uint16_t* codeOf = AnsiCodeTable();
  // Escapes are written into a local buffer a step at a time, then appended at once.
  constexpr std::size_t kChunkUnits = 4096;
  char16_t buffer[kChunkUnits * 6];
  for (std::size_t start = 0; start < text.size(); start += kChunkUnits) {
    char16_t* write = buffer;
    for (const char16_t unit : text.substr(start, kChunkUnits)) {
      const std::uint16_t code = codeOf[unit];
      if (code > 0xFF) {
        write[0] = u'%';
        write[1] = u'u';
        write[2] = kHexUpper[unit >> 12];
        write[3] = kHexUpper[(unit >> 8) & 0xF];
        write[4] = kHexUpper[(unit >> 4) & 0xF];
        write[5] = kHexUpper[unit & 0xF];
        write += 6;
      } else if (kKept[code]) {
        *write++ = unit;
      } else {
        write[0] = u'%';
        write[1] = kHexUpper[code >> 4];
        write[2] = kHexUpper[code & 0xF];
        write += 3;
      }
    }
    out.append(buffer, static_cast<std::size_t>(write - buffer));
  }
  return out;
}

std::u16string vbs_unescape(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size()); // every escape is longer than what it decodes to
  // Decoded units go to a local buffer first, which is appended whenever it fills.
  constexpr std::size_t kBufferUnits = 8192;
  char16_t buffer[kBufferUnits];
  char16_t* write = buffer;
  for (std::size_t i = 0; i < text.size();) {
    if (write == buffer + kBufferUnits) {
      out.append(buffer, kBufferUnits);
      write = buffer;
    }
    if (text[i] != u'%') {
      *write++ = text[i++];
      continue;
    }
    ++i;
    // Only a lower-case u starts a code-unit escape; %U4E2D is a "%" followed by text.
    if (i < text.size() && text[i] == u'u') {
      if (const std::int32_t unit = HexUnitAt(text, i + 1); unit >= 0) {
        *write++ = static_cast<char16_t>(unit);
        i += 5;
        continue;
      }
    }
    if (const int byte = HexByteAt(text, i); byte >= 0) {
      const char16_t unit = UnitOfByte(static_cast<std::uint8_t>(byte));
      *write++ = unit == kLeadByte ? char16_t{0xFFFD} : unit;
      i += 2;
      continue;
    }
    *write++ = u'%';
  }
  out.append(buffer, static_cast<std::size_t>(write - buffer));
  return out;
}

} // namespace kelvaro
