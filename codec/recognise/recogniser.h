#pragma once
// Recognises what a pasted text went through -- escapes, encodings, bytes read in the wrong
// charset -- and undoes it. The candidates are what undoing up to two escape layers and then up
// to three misreadings gives, each step undone strictly; the language model ranks them against
// each other and against the text as it is.

#include "text/charset.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro::recognise {

/// What one step of a chain did to the text it was given.
enum class StepKind : std::uint8_t {
  Misread,       ///< the text's bytes in `charset` were read in `readAs` (mojibake)
  Url,           ///< every byte of the `charset` form outside A-Z a-z 0-9 - _ . ~ became %XX
  PercentU,      ///< script escapes: %uXXXX for code units from U+0100, %XX for the others
  UnicodeEscape, ///< \uXXXX for code units from U+0080
  HtmlDecimal,   ///< &#N; for code points from U+0080 (named references read along)
  HtmlHex,       ///< &#xH; for code points from U+0080 (named references read along)
  HtmlNamed,     ///< named references only: &lt; &amp; &eacute; ...
  Base64,        ///< Base64 (RFC 4648) of the `charset` form
  HexGroups,     ///< the four-character hex groups of the GBK codes: D6D0, O41O, ODDO
};

/// One step of a chain. `charset` is the charset of the bytes that Misread, Url and Base64 wrote
/// or misread; the other kinds leave it at UTF-8.
struct Step {
  StepKind kind = StepKind::Misread;
  Charset charset = Charset::Utf8;
  Charset readAs = Charset::Gbk; ///< Misread only: the charset the bytes were read in

  friend bool operator==(const Step&, const Step&) = default;
};

/// The step's name in the vocabulary of `kelvaro-cli detect`: "utf8-as-gbk", "url-utf8",
/// "percent-u", "unicode-escape", "html-decimal", "html-hex", "html-named", "base64-gbk",
/// "hex-groups". Charsets are called utf8, gbk, big5, windows-1252 and latin1, any other by its
/// --charset name (url-shift_jis).
[[nodiscard]] std::string StepName(const Step& step);

/// One reading of a pasted text.
struct Candidate {
  std::u16string text;
  /// The chain that turned `text` into the input, in the order it was applied (the misreadings
  /// first, the escapes last); empty for the input as it is.
  std::vector<Step> steps;
  /// A step had lost bytes (the input held U+FFFD): each stretch that cannot come back is one
  /// U+FFFD, and the rest is repaired around it.
  bool partial = false;
  /// The language model's cost of the whole text plus a small cost per step; lower is better.
  double bits = 0;
  /// How likely this reading is among those returned, from `bits`: 0..1, summing to 1, never
  /// higher than the share of a candidate ranked before it.
  double share = 0;
};

/// At most this many candidates come back.
inline constexpr std::size_t kMaxCandidates = 5;

/// The readings of a pasted text (UTF-16, as pasted: nothing replaced by "?"), best first, at
/// most kMaxCandidates; the text as it is (no steps) is one of them whenever it ranks among the
/// best. The first candidate having steps means the text was recognised.
///
/// Every step is undone strictly: a reading counts only if each step gives back a text that the
/// step turns into exactly its input, with no U+FFFD and no "?" of its own. Where the input already
/// lost bytes (it holds U+FFFD), a misreading is undone around each U+FFFD and the reading is
/// partial. The steps tried: Url and Base64 in UTF-8, GBK, BIG5 and `charset`; PercentU,
/// UnicodeEscape, the three Html kinds and HexGroups; Misread of UTF-8, GBK or BIG5 bytes read as
/// GBK, BIG5, windows-1252 or ISO-8859-1.
///
/// Bounded: a text longer than a few thousand code units is searched on its prefix, and only the
/// best chains are then undone on the whole text, so the time is linear in the length. Never fails.
///
/// With `InputText::LeftOut` the text-as-it-is candidate has an empty `text` (the caller holds it),
/// for a caller that only wants repairs: a pasted text of many megabytes is not copied.
enum class InputText : std::uint8_t { Copied, LeftOut };
[[nodiscard]] std::vector<Candidate> RecogniseText(std::u16string_view text,
                                                   Charset charset = Charset::Gbk,
                                                   InputText input = InputText::Copied);

} // namespace kelvaro::recognise
