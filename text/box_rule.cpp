#include "text/box_rule.h"

namespace kelvaro {

std::size_t TextBoxLength(std::u16string_view text) {
  // Every box's text is searched, and nearly none holds a NUL: a run of 32 units is passed with one
  // vectorised test, and only the run that holds one is searched unit by unit.
  constexpr std::size_t kRun = 32;
  std::size_t i = 0;
  for (; i + kRun <= text.size(); i += kRun) {
    char16_t nul = 0;
    for (std::size_t k = i; k < i + kRun; ++k)
      nul |= static_cast<char16_t>(text[k] == u'\0');
    if (nul != 0)
      break;
  }
  return std::min(text.size(), text.find(u'\0', i));
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
