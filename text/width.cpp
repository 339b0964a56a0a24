#include "text/width.h"

#include <utility>

namespace kelvaro {
namespace {

// The distance between an ASCII sign and its full-width form.
constexpr char16_t kFullWidthOffset = 0xFF01 - 0x21;

// The half-width signs the platform's mapping widens besides ASCII.
constexpr std::pair<char16_t, char16_t> kWideSigns[] = {
    {u'¢', u'￠'}, {u'£', u'￡'}, {u'¬', u'￢'}, {u'¯', u'￣'},
    {u'¦', u'￤'}, {u'¥', u'￥'}, {u'₩', u'￦'},
};

char16_t WideAscii(char16_t c) {
  if (c >= 0x21 && c <= 0x7E)
    return static_cast<char16_t>(c + kFullWidthOffset);
  return c == 0x20 ? char16_t{0x3000} : c;
}

} // namespace

std::u16string FullWidth(std::u16string_view text) {
  std::u16string wide(text);
  for (char16_t& c : wide)
    c = WideAscii(c);
  return wide;
}

std::u16string ToFullWidth(std::u16string_view text) {
  std::u16string wide(text);
  for (char16_t& c : wide) {
    c = WideAscii(c);
    for (const auto& [narrow, full] : kWideSigns) {
      if (c == narrow)
        c = full;
    }
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
