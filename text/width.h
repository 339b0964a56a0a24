#pragma once
// Full-width and half-width forms: the one-to-one mapping between U+0021..U+007E and
// U+FF01..U+FF5E, and between the space and the ideographic space U+3000; and the platform's
// mapping, which adds seven half-width signs.

#include <string>
#include <string_view>

namespace kelvaro {

/// U+0021..U+007E become U+FF01..U+FF5E and the space U+3000; every other code unit, the
/// half-width signs ¢ £ ¬ ¯ ¦ ¥ ₩ included, stays as it is. Same length as the input. Never
/// fails.
[[nodiscard]] std::u16string FullWidth(std::u16string_view text);

/// The platform's half-width to full-width mapping, one character for one: what FullWidth does,
/// and the seven half-width signs ¢ £ ¬ ¯ ¦ ¥ ₩ their full-width forms. Never fails.
[[nodiscard]] std::u16string ToFullWidth(std::u16string_view text);

/// The inverse: U+FF01..U+FF5E become U+0021..U+007E and U+3000 a space; every other code unit
/// stays as it is. HalfWidth(FullWidth(t)) is t for any t without U+3000 and U+FF01..U+FF5E.
/// Never fails.
[[nodiscard]] std::u16string HalfWidth(std::u16string_view text);

} // namespace kelvaro
