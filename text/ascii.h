#pragma once
// ASCII letter case, for names the user types (charsets, host names, options' values).

#include <algorithm>
#include <string_view>

namespace kelvaro {

/// Whether two names are equal when ASCII letters are compared without their case.
[[nodiscard]] inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace kelvaro
