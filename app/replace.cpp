#include "app/replace.h"

#include <vector>

namespace kelvaro::app {

std::u16string ReplaceAll(std::u16string_view text, std::u16string_view find,
                          std::u16string_view replacement) {
  if (find.empty() || find.size() > text.size())
    return std::u16string(text);

  // border[i]: length of the longest proper prefix of find[0..i] that is also its suffix.
  std::vector<std::size_t> border(find.size(), 0);
  for (std::size_t i = 1, k = 0; i < find.size(); ++i) {
    while (k > 0 && find[i] != find[k])
      k = border[k - 1];
    if (find[i] == find[k])
      ++k;
    border[i] = k;
  }

  std::u16string out;
  out.reserve(text.size());
  std::size_t copied = 0; // text before this index is already in out
  std::size_t matched = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    while (matched > 0 && text[i] != find[matched])
      matched = border[matched - 1];
    if (text[i] == find[matched])
      ++matched;
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
