#include "text/width.h"

namespace kelvaro {
namespace {

// The distance between an ASCII sign and its full-width form.
constexpr char16_t kFullWidthOffset = 0xFF01 - 0x21;

} // namespace

std::u16string FullWidth(std::u16string_view text) {
  std::u16string wide(text);
  for (char16_t& c : wide) {
    if (c >= 0x21 && c <= 0x7E)
      c = static_cast<char16_t>(c + kFullWidthOffset);
    else if (c == 0x20)
      c = 0x3000;
  }
  return wide;
}

std::u16string HalfWidth(std::u16string_view text) {
  std::u16string narrow(text);
  for (char16_t& c : narrow) {
    if (c >= 0xFF01 && c <= 0xFF5E)
      c = static_cast<char16_t>(c - kFullWidthOffset);
    else if (c == 0x3000)
      c = 0x20;
  }
  return narrow;
}

} // namespace kelvaro
