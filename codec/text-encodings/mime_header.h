#pragma once
// MIME encoded-words (RFC 2047), as mail headers carry text outside ASCII:
// =?GB2312?B?1tDOxA==?= and =?UTF-8?Q?=E4=B8=AD?=.

#include "text/charset.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

/// The text's bytes in the charset (a character it lacks is the byte "?") as B encoded-words
/// labelled with the charset's preferred MIME name (CharsetInfo::mimeName: GBK, Big5, UTF-8,
/// Shift_JIS ...). Each word is at most 75 characters and holds whole characters only, never a
/// part of one; words are separated by CR LF and a space, as a folded header line. Empty text gives
/// empty text. Never fails; any length.
[[nodiscard]] std::u16string MimeHeaderEncode(std::u16string_view text,
                                              Charset charset = Charset::Gbk);

/// Decodes every encoded-word =?charset?B?...?= or =?charset?Q?...?= (B or Q in either case; a
/// language after "*" in the label is ignored) whose charset the program knows by name or alias
/// (CharsetNamed: GB2312 too), in that word's charset, each sequence that forms no character giving
/// U+FFFD; in Q, "_" is a space and "=XX" a byte. White space between two adjacent encoded-words is
/// dropped; everything else, words with an unknown charset or bad Base64 included, stays as it is.
/// The chosen charset plays no part: the label says which bytes they are. Never fails; any length.
[[nodiscard]] std::u16string MimeHeaderDecode(std::u16string_view text);

/// The bytes of encoded-words and the charset their label names.
struct LabelledBytes {
  Charset charset;
  std::string bytes;
};

/// The strict form, for recognising a pasted text: when the whole text (blanks and line breaks
/// around and between the words aside) is one or more encoded-words whose labels all name one
/// charset the program knows and whose B or Q payloads are all well formed, their bytes joined
/// and that charset. Nothing otherwise. The bytes are not checked against the charset.
[[nodiscard]] std::optional<LabelledBytes> MimeHeaderDecodeBytes(std::u16string_view text);

} // namespace kelvaro
