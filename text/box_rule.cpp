#include "text/box_rule.h"

#include "text/codepage.h"

namespace kelvaro {

std::u16string ApplyTextBoxRule(std::u16string_view text) {
  if (const std::size_t nul = text.find(u'\0'); nul != std::u16string_view::npos) {
    text = text.substr(0, nul);
  }
  std::u16string kept(text);
  for (char16_t& unit : kept) {
    if (unit >= 0x80 && !IsInCodePage936(unit)) unit = u'?';
  }
  return kept;
}

} // namespace kelvaro
