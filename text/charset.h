#pragma once
// The byte charsets the user can choose for every conversion that works on bytes, and for what the
// boxes can hold. GBK (code page 936) is the default, in which every conversion behaves exactly as
// it always has; the others follow the same rules over their own bytes.

#include "text/codepage.h"
#include "text/result.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kelvaro {

enum class Charset {
  Gbk,
  Gb18030,
  Big5,
  Utf8,
  Utf16Le,
  Utf16Be,
  ShiftJis,
  EucKr,
  Windows1252,
  Iso8859_1,
  Cp437,
  Windows1250,
  Windows1251,
  Windows1253,
  Windows1254,
  Windows1257,
  Iso8859_2,
  Macintosh,
};

struct CharsetInfo {
  Charset charset;
  std::string_view name;            ///< as the command line and the window spell it: "gbk"
  std::string_view alias;           ///< a second name the command line takes ("cp936"), or empty
  std::u16string_view shown;        ///< how messages name it: "GBK"
  std::size_t longest;              ///< bytes of its longest character
  bool keepsEveryCharacter;         ///< it can encode every character (UTF-8, UTF-16, GB18030)
  std::optional<CodePage> codePage; ///< the table of a one- or two-byte code page
  std::string_view mimeName;        ///< its preferred name in mail headers: "GBK", "Shift_JIS"
};

/// Every charset, GBK first.
[[nodiscard]] std::span<const CharsetInfo> Charsets();
[[nodiscard]] const CharsetInfo& InfoOf(Charset charset);

/// The charset of a name or alias, in any letter case: the names and aliases of Charsets() and
/// the other names iconv gives the same charsets (utf8, gb2312, cp936, sjis, latin1, cp1251,
/// mac-roman ...; GB2312 and EUC-CN read as GBK, whose bytes they are a part of). Nothing for a
/// name it does not know.
[[nodiscard]] std::optional<Charset> CharsetNamed(std::string_view name);

/// Whether the charset can encode the code unit; a surrogate counts when it is one half of a pair
/// and the charset can encode the pair's character, so ask with the pair's next unit at hand.
/// Lone surrogates are no characters: no charset encodes them.
[[nodiscard]] bool CanEncode(std::u16string_view text, std::size_t i, Charset charset);

/// The bytes of one character in a charset, and the code units it takes in the text.
struct EncodedCharacter {
  std::uint8_t bytes[4] = {};
  std::size_t size = 0;
  std::size_t units = 1;
};

/// The bytes of the one character at text[i] in the charset (a surrogate pair is one character),
/// or nothing when the charset cannot encode it; it then takes one code unit.
[[nodiscard]] std::optional<EncodedCharacter> EncodeCharacterAt(std::u16string_view text,
                                                                std::size_t i, Charset charset);

/// The text's bytes in the charset. A character the charset cannot encode gives "?" (63) for each
/// of its code units, as the boxes show it; a lone surrogate gives "?". Never fails.
[[nodiscard]] std::string EncodeText(std::u16string_view text, Charset charset);

/// Decodes bytes in the charset; each sequence that forms no character gives one U+FFFD (an odd
/// last byte of UTF-16 too). Never fails.
[[nodiscard]] std::u16string DecodeBytes(std::string_view bytes, Charset charset);

/// Decodes bytes that must be well-formed in the charset: InvalidBytes at the byte offset of the
/// first sequence that forms no character.
[[nodiscard]] Result<std::u16string> DecodeBytesStrictly(std::string_view bytes, Charset charset);

/// One character: a code point as one or two UTF-16 code units; no units when there is none.
struct Character {
  char16_t units[2] = {};
  std::size_t size = 0;
  [[nodiscard]] std::u16string_view view() const { return {units, size}; }
};

/// The character that exactly `bytes` form in the charset, or none when they form no character or
/// more than one. For reading escaped bytes back, one candidate run at a time.
[[nodiscard]] Character CharacterOfBytes(std::string_view bytes, Charset charset);

/// Replaces, in place, every code unit that the charset cannot encode by "?" (both halves of a
/// pair whose character it lacks; a lone surrogate always); gives how many it replaced.
std::size_t ReplaceUnencodable(std::span<char16_t> units, Charset charset);

} // namespace kelvaro
