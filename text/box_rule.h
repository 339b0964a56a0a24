#pragma once
// What a text box keeps of a text written, typed or pasted into it. The boxes keep every
// character, whatever the charset: the charset decides only the bytes that the byte operations
// write and read. What a box cannot hold is U+0000 (the text ends there) and a lone surrogate,
// which is no character (it shows as "?"); both front ends pass every box text through this rule
// and tell the user what it changed.

#include "text/charset.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

/// Where a text was cut at its first U+0000 while characters other than U+0000 followed it. A
/// U+0000 at the very end (the terminator some conversions write) loses nothing and is no cut.
struct CutAtNul {
  std::size_t position = 0; ///< the U+0000's place, counting characters from 1 (a pair is one)
  std::size_t notShown = 0; ///< characters after it, other than U+0000, that the cut dropped
};

/// What the text box rule changed in a text.
struct BoxRuleChanges {
  std::optional<CutAtNul> cut;
  std::size_t questionMarks = 0; ///< lone surrogates that became "?"
};

/// Length of the text before its first U+0000 (the whole length when it has none): where a box
/// cuts it.
[[nodiscard]] std::size_t TextBoxLength(std::u16string_view text);

/// The text box rule in place: the text ends before its first U+0000, and each lone surrogate
/// becomes "?". Never fails.
BoxRuleChanges ApplyTextBoxRuleInPlace(std::u16string& text);

/// The same rule on a copy.
[[nodiscard]] std::u16string ApplyTextBoxRule(std::u16string_view text);

/// For an operation that works on the text's bytes in a charset: each character the charset
/// cannot encode becomes "?" as its bytes do (each unit of a surrogate pair, as the code pages
/// write a pair they lack), so that every byte such an operation writes is what it has always
/// written. Gives how many characters became "?" (a pair counts once).
std::size_t WriteUnencodableAsQuestionMarks(std::u16string& text, Charset charset);

/// How many characters of the text the charset cannot encode (a pair counts once; a lone
/// surrogate is one).
[[nodiscard]] std::size_t CountUnencodable(std::u16string_view text, Charset charset);

} // namespace kelvaro
