#pragma once
// Blanks around numbers as people type them.

#include <string_view>

namespace kelvaro {

/// The text without blanks (spaces and tabs) at either end.
[[nodiscard]] std::u16string_view TrimBlanks(std::u16string_view text);

} // namespace kelvaro
