#include "text/box_rule.h"

#include "text/codepage.h"

#include <cstdint>
#include <cstring>

namespace kelvaro {

std::size_t TextBoxLength(std::u16string_view text) {
  std::size_t i = 0;
  for (; i + 4 <= text.size(); i += 4) {
    std::uint64_t units;
    std::memcpy(&units, text.data() + i, 8);
    // Nonzero exactly when one of the four 16-bit lanes is zero.
    if ((units - 0x0001000100010001ULL) & ~units & 0x8000800080008000ULL)
      break;
  }
  while (i < text.size() && text[i] != u'\0')
    ++i;
  return i;
}

void ApplyTextBoxRuleInPlace(std::u16string& text) {
  text.resize(TextBoxLength(text));
  ReplaceMissingFrom936(text);
}

std::u16string ApplyTextBoxRule(std::u16string_view text) {
  std::u16string kept(text.substr(0, TextBoxLength(text)));
  ApplyTextBoxRuleInPlace(kept);
  return kept;
}

} // namespace kelvaro
