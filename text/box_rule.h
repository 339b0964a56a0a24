#pragma once
// What a text box keeps of a text written into it, or typed or pasted into it. The boxes hold
// code-page-936 text, so both front ends pass every box text through this one rule.

#include <string>
#include <string_view>

namespace kelvaro {

/// The text before its first U+0000, with each code unit that code page 936 lacks replaced by "?"
/// (a lone surrogate is such a unit; so is each half of a surrogate pair). Never fails.
[[nodiscard]] std::u16string ApplyTextBoxRule(std::u16string_view text);

/// Length of the text before its first U+0000 (the whole length when it has none): where a box
/// cuts it.
[[nodiscard]] std::size_t TextBoxLength(std::u16string_view text);

/// The same rule applied in place, for texts too large to copy lightly; gives how many code
/// units became "?".
std::size_t ApplyTextBoxRuleInPlace(std::u16string& text);

} // namespace kelvaro
