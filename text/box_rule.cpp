#include "text/box_rule.h"

#include "text/codepage.h"

namespace kelvaro {

std::size_t TextBoxLength(std::u16string_view text) {
  return std::min(text.size(), text.find(u'\0'));
}

std::size_t ApplyTextBoxRuleInPlace(std::u16string& text) {
  text.resize(TextBoxLength(text));
  return ReplaceMissing(text);
}

std::u16string ApplyTextBoxRule(std::u16string_view text) {
  std::u16string kept(text.substr(0, TextBoxLength(text)));
  ApplyTextBoxRuleInPlace(kept);
  return kept;
}

} // namespace kelvaro
