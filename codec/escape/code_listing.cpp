#include "codec/escape/code_listing.h"

#include "text/codepage.h"
#include "text/hex.h"

namespace kelvaro {
namespace {

// Units converted per step: the step's output stays in the first-level cache, and the result is
// written once, by appending, without being zero-filled first.
constexpr std::size_t kChunkUnits = 2048;

} // namespace

std::u16string UnicodeFun(std::u16string_view text) {
  std::u16string listing;
  listing.reserve(text.size() * 5);
  char16_t entries[kChunkUnits * 5];
  for (std::size_t start = 0; start < text.size(); start += kChunkUnits) {
    char16_t* out = entries;
    for (char16_t unit : text.substr(start, kChunkUnits)) {
      // The unit as it comes back through code page 936. Every unit the code page holds decodes
      // from its code to itself (a test pins this for all of them), and any other unit is "?".
      if (!IsInCodePage(unit))
        unit = u'?';
      out[0] = kHexUpper[unit >> 12];
      out[1] = kHexUpper[unit >> 8 & 0x0F];
      out[2] = kHexUpper[unit >> 4 & 0x0F];
      out[3] = kHexUpper[unit & 0x0F];
      out[4] = u',';
      out += 5;
    }
    listing.append(entries, static_cast<std::size_t>(out - entries));
  }
  return listing;
}

std::u16string UnicodeBytesAsAnsi(std::u16string_view text) {
  std::string bytes;
  bytes.resize(text.size() * 2);
  char* out = bytes.data();
  for (const char16_t unit : text) {
    *out++ = static_cast<char>(unit & 0xFF);
    *out++ = static_cast<char>(unit >> 8);
  }
  return FromAnsiBytes(bytes);
}

std::u16string AnsiBytesAsUnicode(std::u16string_view text) {
  std::u16string units;
  // At most two bytes per character, so at most one unit per character.
  units.reserve(text.size());
  char16_t chunk[kChunkUnits];
  int lowByte = -1; // a byte still waiting for its high byte
  for (std::size_t start = 0; start < text.size(); start += kChunkUnits) {
    char16_t* out = chunk;
    const auto take = [&](std::uint8_t byte) {
      if (lowByte < 0) {
        lowByte = byte;
      } else {
        *out++ = static_cast<char16_t>(lowByte | byte << 8);
        lowByte = -1;
      }
    };
    for (const char byte : ToAnsiBytes(text.substr(start, kChunkUnits))) {
      take(static_cast<std::uint8_t>(byte));
    }
    units.append(chunk, static_cast<std::size_t>(out - chunk));
  }
  // The odd last byte keeps its place as a unit of its own rather than vanishing.
  if (lowByte >= 0)
    units.push_back(static_cast<char16_t>(lowByte));
  return units;
}

} // namespace kelvaro
