#include "text/box_rule.h"

namespace kelvaro {

std::size_t TextBoxLength(std::u16string_view text) {
  return std::min(text.size(), text.find(u'\0'));
}

std::size_t ApplyTextBoxRuleInPlace(std::u16string& text, Charset charset) {
  text.resize(TextBoxLength(text));
  return ReplaceUnencodable(text, charset);
}

std::u16string ApplyTextBoxRule(std::u16string_view text, Charset charset) {
  std::u16string kept(text.substr(0, TextBoxLength(text)));
  ApplyTextBoxRuleInPlace(kept, charset);
  return kept;
}

} // namespace kelvaro
