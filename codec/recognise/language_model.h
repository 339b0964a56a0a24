#pragma once
// How much a text reads like real text: the yardstick that ranks the candidate decodings of a
// pasted text (escaped, encoded or garbled) against each other and against the text as it is.

#include <cstddef>
#include <string_view>

namespace kelvaro::recognise {

/// ScoreText reads at most this many UTF-16 code units from the start of a text (fewer by one
/// when the bound would split a surrogate pair): the ranking of candidates needs the first few
/// thousand characters, not all of a 1 MiB paste, and the scan stays within a few hundred
/// microseconds.
inline constexpr std::size_t kScoredPrefixUnits = 4096;

/// The cost of a text under a model of real text: Chinese (simplified or traditional, from the
/// character and in-word character-pair frequencies in resources/language_model.bin), English and
/// other Latin-script text, digits, punctuation, code and paths. Characters that real text rarely
/// holds and garbled text often does cost much more: private-use characters, U+FFFD, C0 and C1
/// controls, rare CJK extension characters, runs of symbols, Latin-1 letters and signs outside
/// Latin words (ä¸­æ–‡, ÖÐÎÄ), box drawing, half-width katakana, kana and Hangul among Chinese.
struct TextScore {
  /// Mean cost of a scored character in bits (-log2 probability), comparable across texts of any
  /// length: about 5 for English prose, 8 to 10 for Chinese prose, 12 and more for mojibake.
  double bitsPerCharacter = 0;
  std::size_t scored = 0;     ///< characters (code points) scored: those of the prefix
  std::size_t characters = 0; ///< characters (code points) of the whole text

  /// The cost of the whole text, extrapolated from its prefix: for ranking the candidates that
  /// one input decodes to, where a shorter candidate that explains the same bytes in fewer, more
  /// likely characters should win (中文 over ä¸­æ–‡, 中 over %E4%B8%AD). Lower is better.
  [[nodiscard]] double TotalBits() const {
    return bitsPerCharacter * static_cast<double>(characters);
  }
};

/// What the model may use; the defaults are the model. Without pairs, Chinese characters are
/// scored one by one (for measuring what the pair table buys).
struct ScoreOptions {
  bool characterPairs = true;
};

/// Scores UTF-16 text (lone surrogates allowed: they cost like controls). Empty text scores 0 bits
/// per character with no characters. Linear in the prefix plus one count of the whole text's
/// characters; allocates nothing. Never fails.
[[nodiscard]] TextScore ScoreText(std::u16string_view text, ScoreOptions options = {});

} // namespace kelvaro::recognise
