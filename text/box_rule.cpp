#include "text/box_rule.h"

#include "text/codepage.h"

namespace kelvaro {

void ApplyTextBoxRuleInPlace(std::u16string& text) {
  if (const std::size_t nul = text.find(u'\0'); nul != std::u16string::npos) text.resize(nul);
  ReplaceMissingFrom936(text);
}

std::u16string ApplyTextBoxRule(std::u16string_view text) {
  std::u16string kept(text.substr(0, text.find(u'\0')));
  ApplyTextBoxRuleInPlace(kept);
  return kept;
}

} // namespace kelvaro
