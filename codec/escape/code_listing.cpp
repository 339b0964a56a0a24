#include "codec/escape/code_listing.h"

#include "text/hex.h"

namespace kelvaro {

std::u16string UnicodeFun(std::u16string_view text) {
  std::u16string listing;
  listing.reserve(text.size() * 5);
  for (const char16_t unit : text) {
    char16_t entry[5];
    *WriteHexUnit(entry, unit) = u',';
    listing.append(entry, 5);
  }
  return listing;
}

std::u16string UnicodeBytesAsAnsi(std::u16string_view text, Charset charset) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return DecodeBytes(bytes, charset);
}

std::u16string AnsiBytesAsUnicode(std::u16string_view text, Charset charset) {
  const std::string bytes = EncodeText(text, charset);
  std::u16string units;
  units.reserve(bytes.size() / 2 + 1);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                          static_cast<std::uint8_t>(bytes[i + 1]) << 8));
  }
  // The odd last byte keeps its place as a unit of its own rather than vanishing.
  if (bytes.size() % 2 != 0)
    units.push_back(static_cast<std::uint8_t>(bytes.back()));
  return units;
}

} // namespace kelvaro
