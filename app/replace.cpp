#include "app/replace.h"

namespace kelvaro::app {

std::u16string ReplaceAll(std::u16string_view text, std::u16string_view find,
                          std::u16string_view replacement) {
  return ReplaceAllComparing(text, find, replacement, std::equal_to<char16_t>());
}

} // namespace kelvaro::app
