#pragma once
// Recognises what a pasted text went through -- escapes, encodings, bytes read in the wrong
// charset -- and undoes it. The candidates are what undoing up to two escape layers and then up
// to three misreadings gives, each step undone strictly; the language model ranks them against
// each other and against the text as it is.

#include "text/charset.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro::recognise {

/// What one step of a chain did to the text it was given.
enum class StepKind : std::uint8_t {
  Misread,           ///< the text's bytes in `charset` were read in `readAs` (mojibake)
  Url,               ///< every byte of the `charset` form outside A-Z a-z 0-9 - _ . ~ became %XX
  PercentU,          ///< script escapes: %uXXXX for code units from U+0100, %XX for the others
  UnicodeEscape,     ///< \uXXXX for code units from U+0080
  HtmlDecimal,       ///< &#N; for code points from U+0080 (named references read along)
  HtmlHex,           ///< &#xH; for code points from U+0080 (named references read along)
  HtmlNamed,         ///< named references only: &lt; &amp; &eacute; ...
  Base64,            ///< Base64 (RFC 4648) of the `charset` form
  HexGroups,         ///< the four-character hex groups of the GBK codes: D6D0, O41O, ODDO
  UrlForm,           ///< a form-encoded query: as Url, and "+" for each space
  CEscape,           ///< the `charset` bytes from 0x80 as C or Python escapes: \344, \xe4, b'...'
  ByteHex,           ///< the `charset` bytes as plain hex, either case, blanks allowed: e4b8ad
  QuotedPrintable,   ///< quoted-printable (RFC 2045) of the `charset` bytes: =E4=B8=AD
  MimeHeader,        ///< mail header encoded-words (RFC 2047) labelled `charset`: =?GBK?B?...?=
  Punycode,          ///< a host name's labels in their xn-- form
  SurrogatesMisread, ///< UTF-8 of each surrogate half (ED A0 BD ...) read as `readAs`
};

/// One step of a chain. `charset` is the charset of the bytes that Misread, Url and Base64 wrote
/// or misread; the other kinds leave it at UTF-8.
struct Step {
  StepKind kind = StepKind::Misread;
  Charset charset = Charset::Utf8;
  Charset readAs = Charset::Gbk; ///< Misread only: the charset the bytes were read in

  friend bool operator==(const Step&, const Step&) = default;
};

/// The command-line name of the operation that writes the step's notation ("url-encode",
/// "base64-encode", "c-escape", "escape" for PercentU, "html-encode" for HtmlDecimal, "hex-encode"
/// for HexGroups, ...); nothing for a misreading and for the notations that no operation writes
/// (HtmlHex, HtmlNamed, UrlForm).
[[nodiscard]] std::optional<std::string_view> StepOperation(StepKind kind);

/// The step's name in the vocabulary of `kelvaro-cli detect`. A step that an operation writes is
/// named by the operation, and where the step has a charset, ":" and the charset:
/// "url-encode:utf8", "base64-encode:gbk", "mime-header-encode:big5", "escape", "html-encode",
/// "punycode-encode". The notations no operation writes follow the same pattern under names of
/// their own ("html-hex", "html-named", "url-form:utf8"), and misreadings are "X-as-Y":
/// "utf8-as-gbk", "gbk-as-cp437", "utf8-surrogates-as-windows-1252". Charsets are called utf8,
/// latin1, and any other by its --charset name (gbk, big5, windows-1252, shift_jis); every one of
/// them is a name --charset takes.
[[nodiscard]] std::string StepName(const Step& step);

/// Characters that were lost before the text was pasted, in a form that says how: what `auto`
/// names instead of guessing them.
enum class Lost : std::uint8_t {
  Nothing,
  ReplacementAsGbk, ///< 锟斤拷: the UTF-8 of U+FFFD (bytes lost before) read as GBK
  StackFill,        ///< 烫烫烫: 0xCC, the fill of memory never written (a debug build's stack)
  HeapFill,         ///< 屯屯屯: 0xCD, the fill of memory never written (a debug build's heap)
  Replacements,     ///< a run of U+FFFD: bytes that formed no character in the charset read
  QuestionMarks,    ///< a run of "?" in a word: characters the charset written could not hold
};

/// The name `kelvaro-cli detect` gives what was lost: "replacement-as-gbk", "stack-fill",
/// "heap-fill", "replacements", "question-marks"; empty for Nothing.
[[nodiscard]] std::string_view LostName(Lost lost);

/// One reading of a pasted text.
struct Candidate {
  std::u16string text;
  /// The chain that turned `text` into the input, in the order it was applied (the misreadings
  /// first, the escapes last); empty for the input as it is.
  std::vector<Step> steps;
  /// A step had lost bytes (the input held U+FFFD): each stretch that cannot come back is one
  /// U+FFFD, and the rest is repaired around it.
  bool partial = false;
  /// Only a stretch of the text was garbled or escaped (a name inside a clean sentence): `steps`
  /// are what that stretch went through, and the rest is as pasted.
  bool stretch = false;
  /// What the text had lost before, or Nothing: each run of 锟斤拷, 烫 or 屯 stands as one U+FFFD
  /// in `text`; runs of U+FFFD and "?" stay as they are.
  Lost lost = Lost::Nothing;
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
/// best. The first candidate having steps, or naming what was lost, means the text was recognised.
///
/// Every step is undone strictly: a reading counts only if each step gives back a text that the
/// step turns into exactly its input, with no U+FFFD and no "?" of its own. Where the input already
/// lost bytes (it holds U+FFFD), a misreading is undone around each U+FFFD and the reading is
/// partial. The steps tried: Url, UrlForm, Base64, CEscape, ByteHex and QuotedPrintable in UTF-8,
/// GBK, BIG5 and `charset`; MimeHeader in the charset its label names; PercentU, UnicodeEscape,
/// the three Html kinds, HexGroups and Punycode; Misread of UTF-8, GBK or BIG5 bytes read as GBK,
/// BIG5, Shift_JIS, EUC-KR or any single-byte charset (the last layer undone first may be any of
/// them; the ones under it are read as GBK, BIG5, windows-1252 or ISO-8859-1), and
/// SurrogatesMisread as windows-1252, ISO-8859-1 or GBK. A reading other than the text as it is
/// must cost clearly fewer bits than the text as it is (see the ranking's margins).
///
/// Where the whole text is no reading of any chain, a short text (about a thousand code units) is
/// taken word by word (between blanks): a word that reads clearly better undone is repaired and
/// the rest left as it is (`stretch`). Within a word that no chain explains whole, a stretch that
/// UTF-8 misread explains is repaired where it is glued to clean characters (上传闄堟瘏.txt失败):
/// its ends are where the characters of the word and of the repair end together, moved inward
/// while the repair, scored with its neighbours, reads better, and it is repaired only when it
/// reads clearly better. 锟斤拷, 烫烫烫, 屯屯屯 and runs of U+FFFD or of "?" inside
/// words are named in `lost`.
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
