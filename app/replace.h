#pragma once
// The find-and-replace of the replace button, kept free of Qt so it can be reasoned about alone.

#include <string>
#include <string_view>

namespace kelvaro::app {

/// Every occurrence of `find` in `text` replaced by `replacement`, scanning from the start:
/// occurrences are compared code unit by code unit (case matters), do not overlap, and the
/// replacement text is never scanned again. An empty `find` gives `text` unchanged. Linear in
/// the sizes of text and find, whatever the text (a Knuth-Morris-Pratt scan).
[[nodiscard]] std::u16string ReplaceAll(std::u16string_view text, std::u16string_view find,
                                        std::u16string_view replacement);

} // namespace kelvaro::app
