#pragma once
// The find-and-replace of the replace button, kept free of Qt so it can be reasoned about alone.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro::app {

/// Every occurrence of `find` in `text` replaced by `replacement`, scanning from the start:
/// occurrences are compared code unit by code unit (case matters), do not overlap, and the
/// replacement text is never scanned again. An empty `find` gives `text` unchanged. Linear in
/// the sizes of text and find, whatever the text (a Knuth-Morris-Pratt scan).
[[nodiscard]] std::u16string ReplaceAll(std::u16string_view text, std::u16string_view find,
                                        std::u16string_view replacement);

/// ReplaceAll with the comparison of two code units given: `equal(a, b)` is called at most
/// 2 * (text.size() + find.size()) times, which is how the tests hold the scan to linear time.
template <class Equal>
[[nodiscard]] std::u16string ReplaceAllComparing(std::u16string_view text, std::u16string_view find,
                                                 std::u16string_view replacement, Equal equal) {
  if (find.empty() || find.size() > text.size())
    return std::u16string(text);

  // border[i]: length of the longest proper prefix of find[0..i] that is also its suffix. Every
  // comparison but the last of each i shortens k, and k grows at most once for each i: at most
  // 2m comparisons in all.
  std::vector<std::size_t> border(find.size(), 0);
  for (std::size_t i = 1, k = 0; i < find.size(); ++i) {
    for (;;) {
      if (equal(find[i], find[k])) {
        ++k;
        break;
      }
      if (k == 0)
        break;
      k = border[k - 1];
    }
    border[i] = k;
  }

  std::u16string out;
  out.reserve(text.size());
  std::size_t copied = 0; // text before this index is already in out
  std::size_t matched = 0;
  // The same count for the text: at most 2n comparisons, each unit compared once more than the
  // number of times `matched` falls back at it.
  for (std::size_t i = 0; i < text.size(); ++i) {
    for (;;) {
      if (equal(text[i], find[matched])) {
        ++matched;
        break;
      }
      if (matched == 0)
        break;
      matched = border[matched - 1];
    }
    if (matched == find.size()) {
      const std::size_t start = i + 1 - find.size();
      out.append(text.substr(copied, start - copied));
      out.append(replacement);
      copied = i + 1;
      // Starting afresh after a match is what keeps occurrences from overlapping.
      matched = 0;
    }
  }
  out.append(text.substr(copied));
  return out;
}

} // namespace kelvaro::app
