#include "text/box_rule.h"

#include "text/utf.h"

#include <algorithm>

namespace kelvaro {
namespace {

std::size_t SurrogatePairsIn(std::u16string_view text) {
  std::size_t pairs = 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (IsLowSurrogate(text[i]) && IsHighSurrogate(text[i - 1])) {
      ++pairs;
      ++i;
    }
  }
  return pairs;
}

} // namespace

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

BoxRuleChanges ApplyTextBoxRuleInPlace(std::u16string& text) {
  BoxRuleChanges changes;
  const std::size_t length = TextBoxLength(text);
  if (length < text.size()) {
    const std::u16string_view after = std::u16string_view(text).substr(length);
    const std::size_t nuls = static_cast<std::size_t>(std::count(after.begin(), after.end(), u'\0'));
    const std::size_t notShown = after.size() - nuls - SurrogatePairsIn(after);
    if (notShown != 0) {
      const std::u16string_view before = std::u16string_view(text).substr(0, length);
      changes.cut = CutAtNul{length - SurrogatePairsIn(before) + 1, notShown};
    }
    text.resize(length);
  }
  // A charset that keeps every character loses only what is no character: lone surrogates.
  changes.questionMarks = ReplaceUnencodable(text, Charset::Utf8);
  return changes;
}

std::u16string ApplyTextBoxRule(std::u16string_view text) {
  std::u16string kept(text.substr(0, TextBoxLength(text)));
  ApplyTextBoxRuleInPlace(kept);
  return kept;
}

std::size_t WriteUnencodableAsQuestionMarks(std::u16string& text, Charset charset) {
  if (InfoOf(charset).keepsEveryCharacter)
    return ReplaceUnencodable(text, charset);
  // The code pages hold no character beyond the BMP, so every pair is replaced, as two units.
  const std::size_t pairs = SurrogatePairsIn(text);
  return ReplaceUnencodable(text, charset) - pairs;
}

std::size_t CountUnencodable(std::u16string_view text, Charset charset) {
  std::u16string copy(text);
  return WriteUnencodableAsQuestionMarks(copy, charset);
}

} // namespace kelvaro
