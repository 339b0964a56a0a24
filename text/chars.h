#pragma once
// Character forms the conversions share.

#include <string>
#include <string_view>

namespace kelvaro {

/// Half-width to full-width, one character for one: U+0021..U+007E become U+FF01..U+FF5E, the space
/// becomes U+3000, and the seven half-width symbols ¢ £ ¬ ¯ ¦ ¥ ₩ their full-width forms. Every
/// other character is unchanged.
[[nodiscard]] std::u16string ToFullWidth(std::u16string_view text);

} // namespace kelvaro
