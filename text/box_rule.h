#pragma once
// What a text box keeps of a text written into it, or typed or pasted into it. The boxes hold text
// that the chosen charset can encode (code page 936 by default), so both front ends pass every box
// text through this one rule.

#include "text/charset.h"

#include <string>
#include <string_view>

namespace kelvaro {

/// The text before its first U+0000, with each code unit that the charset cannot encode replaced
/// by "?" (a lone surrogate always; each half of a surrogate pair whose character the charset
/// lacks). Never fails.
[[nodiscard]] std::u16string ApplyTextBoxRule(std::u16string_view text,
                                              Charset charset = Charset::Gbk);

/// Length of the text before its first U+0000 (the whole length when it has none): where a box
/// cuts it.
[[nodiscard]] std::size_t TextBoxLength(std::u16string_view text);

/// The same rule applied in place, for texts too large to copy lightly; gives how many code
/// units became "?".
std::size_t ApplyTextBoxRuleInPlace(std::u16string& text, Charset charset = Charset::Gbk);

} // namespace kelvaro
