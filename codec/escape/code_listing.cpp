#include "codec/escape/code_listing.h"

#include "text/codepage.h"

namespace kelvaro {

std::u16string UnicodeFun(std::u16string_view text) {
  constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string listing;
  // Each unit comes back from the code page as one unit, so the size is known: five per unit.
  listing.reserve(text.size() * 5);
  std::u16string roundTrip;
  const auto list = [&listing, &kDigits](char16_t unit) {
    listing.push_back(kDigits[unit >> 12]);
    listing.push_back(kDigits[unit >> 8 & 0x0F]);
    listing.push_back(kDigits[unit >> 4 & 0x0F]);
    listing.push_back(kDigits[unit & 0x0F]);
    listing.push_back(u',');
  };
  for (const char16_t unit : text) {
    if (unit < 0x80) {
      list(unit);
      continue;
    }
    // The unit as the code page gives it back: "?" when it lacks the character.
    roundTrip.clear();
    AppendAnsiCodeChars(roundTrip, AnsiCodeOfUnit(unit));
    for (const char16_t back : roundTrip) list(back);
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
  const std::string bytes = ToAnsiBytes(text);
  const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::size_t size = bytes.size();
  std::u16string units;
  units.resize((size + 1) / 2);
  char16_t* out = units.data();
  std::size_t i = 0;
  for (; i + 1 < size; i += 2) *out++ = static_cast<char16_t>(in[i] | in[i + 1] << 8);
  // The odd last byte keeps its place as a unit of its own rather than vanishing.
  if (i < size) *out = in[i];
  return units;
}

} // namespace kelvaro
