#pragma once
// Base64 of a text's bytes in a charset (code page 936 by default), and back. The alphabet and
// padding are RFC 4648's; the encoder writes no line breaks, and the decoder skips white space but
// rejects nothing.

#include "text/charset.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

/// Base64 of the text's bytes in the charset (a character it lacks is the byte "?"), "=" padding,
/// no line breaks. Empty text gives empty text. Never fails; any length.
[[nodiscard]] std::u16string Base64Encode(std::u16string_view text, Charset charset = Charset::Gbk);

/// Base64 of the bytes themselves, as Base64Encode writes it.
[[nodiscard]] std::u16string Base64OfBytes(std::string_view bytes);

/// Base64OfBytes as ASCII bytes, for a result written out as UTF-8.
[[nodiscard]] std::string Base64AsciiOfBytes(std::string_view bytes);

/// Base64AsciiOfBytes of bytes given a piece at a time (standard input read in blocks): after Add
/// of each piece in order, Finish gives Base64AsciiOfBytes of the pieces joined; a piece may have
/// any length, none at all. `expectedBytes`, the input's length where it is known, lets the result
/// be allocated once. Never fails.
class Base64AsciiStream {
public:
  explicit Base64AsciiStream(std::size_t expectedBytes = 0);
  void Add(std::string_view bytes);
  /// The whole encoding; the stream is empty after it.
  [[nodiscard]] std::string Finish();

private:
  std::string m_encoded;
  std::array<std::uint8_t, 3> m_group = {}; ///< the bytes of a group that the next piece completes
  std::size_t m_groupSize = 0;
};

/// Reads Base64 from the text's code-page-936 bytes and decodes the bytes through code page 936
/// (see AnsiPairsToText). Space, tab, CR and LF are skipped wherever they stand; every other byte
/// outside the alphabet counts as zero bits, and a lone final byte is ignored. The bytes end with
/// the last one that the places before the first "=" fill (all places when there is none), so the
/// result is exactly what was encoded: no U+0000 for the padding.
///
/// In any other charset the Base64 text is read a code unit at a time (white space skipped, any
/// other unit outside the alphabet zero bits) and the bytes are decoded in that charset, with the
/// same end. Never fails; any length.
[[nodiscard]] std::u16string Base64Decode(std::u16string_view text, Charset charset = Charset::Gbk);

/// Base64Decode of a text given as valid UTF-8 a piece at a time (standard input read in blocks),
/// the result as UTF-8: after Add of each piece in order, each ending with a whole character,
/// Finish gives the UTF-8 of Base64Decode of the pieces' text. `expectedBytes`, the input's length
/// where it is known, lets the result be allocated once. Never fails.
class Base64DecodeUtf8Stream {
public:
  explicit Base64DecodeUtf8Stream(Charset charset, std::size_t expectedBytes = 0);
  void Add(std::string_view utf8);
  /// The whole result; the stream is empty after it.
  [[nodiscard]] std::string Finish();

private:
  void TakeGbkBytes(bool last);

  Charset m_charset;
  std::string m_result;
  /// Decoded bytes not yet read as text: in GBK a lead byte whose trail is still to come, in the
  /// other charsets all of them, read at the end (in UTF-8 the result itself, when they are valid).
  std::string m_bytes;
  std::uint32_t m_bits = 0; ///< the places of a group that the next piece completes
  int m_filled = 0;
  bool m_ended = false; ///< an "=" came: no place after it counts
};

/// The strict form, for recognising a pasted text: the bytes, when the whole text is Base64 as an
/// encoder writes it -- RFC 4648's alphabet, line breaks (CR, LF) anywhere, "=" padding that
/// completes the last group or none, no lone last character, and zero bits where a short last
/// group leaves some over. Nothing otherwise, and nothing for a text without a character of the
/// alphabet. The bytes are not checked against any charset.
[[nodiscard]] std::optional<std::string> Base64DecodeBytes(std::u16string_view text);

} // namespace kelvaro
