#pragma once
// Code-page bytes of a text and back, through tables: the one code-page layer the conversions
// build on. Code page 936 (GBK) is the code page the boxes hold their text in by default; code page
// 950 (BIG5) is the other side of the GB-BIG5 tables. Both are ICU's windows-*-2000 tables, which
// map the user-defined areas to the Private Use Area (bytes A1 40 in 936 read U+E4C6). The other
// code pages are the single- and double-byte charsets the user can choose (text/charset.h). Each
// table is built from ICU on its first use, and from then on a character costs a load.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kelvaro {

/// Code pages of one or two bytes a character, each with an ICU converter.
enum class CodePage {
  Gbk936,      ///< windows-936-2000
  Big5_950,    ///< windows-950-2000
  ShiftJis932, ///< ibm-943_P15A-2003
  EucKr949,    ///< windows-949-2000
  Windows1252, ///< windows-1252
  Latin1,      ///< ISO-8859-1
  Cp437,       ///< ibm-437_P100-1995, the DOS code page zip tools still write names in
  Windows1250, ///< windows-1250 (central European)
  Windows1251, ///< windows-1251 (Cyrillic)
  Windows1253, ///< windows-1253 (Greek)
  Windows1254, ///< windows-1254 (Turkish)
  Windows1257, ///< windows-1257 (Baltic)
  Latin2,      ///< ISO-8859-2
  MacRoman,    ///< macintosh
};

/// Marks, in UnitOfByte, a lead byte: one that begins a double-byte character.
inline constexpr char16_t kLeadByte = 0xFFFF;

/// Code of one UTF-16 code unit, unsigned: below 0x100 a single byte, otherwise lead * 256 +
/// trail. A code unit the code page lacks gives 63, the code of "?" (a surrogate always lacks).
[[nodiscard]] std::uint16_t AnsiCodeOfUnit(char16_t unit, CodePage codePage = CodePage::Gbk936);

/// The same codes for every code unit at once, indexed by the unit, for loops over large texts.
[[nodiscard]] const std::uint16_t* AnsiCodeTable(CodePage codePage = CodePage::Gbk936);

/// True when the code page has the code unit ("?" itself included).
[[nodiscard]] bool IsInCodePage(char16_t unit, CodePage codePage = CodePage::Gbk936);

/// The decoding tables of a code page, looked up once by loops that read bytes one at a time.
struct CodePageDecoder {
  const char16_t* byteUnits; ///< 256 entries: UnitOfByte
  /// 65 536 entries by lead * 256 + trail: the pair's character; U+FFFD where the two bytes are
  /// bad as a whole, 0 where the lead is bad alone and its second byte begins the next sequence.
  const char16_t* pairUnits;

  [[nodiscard]] char16_t unitOfByte(std::uint8_t byte) const { return byteUnits[byte]; }
  [[nodiscard]] char16_t unitOfPair(std::uint8_t lead, std::uint8_t trail) const {
    const char16_t unit = pairUnits[lead << 8 | trail];
    return unit == 0xFFFD ? char16_t{0} : unit;
  }
};

[[nodiscard]] CodePageDecoder DecoderOf(CodePage codePage = CodePage::Gbk936);

/// The character of a single byte: 0x00..0x7F themselves, the code page's other single-byte
/// characters (0x80 is € in 936), kLeadByte for a lead byte, U+FFFD for a byte that is no
/// character on its own.
[[nodiscard]] char16_t UnitOfByte(std::uint8_t byte, CodePage codePage = CodePage::Gbk936);

/// The character of a lead and a trail byte, or 0 when the two are not one character.
[[nodiscard]] char16_t UnitOfPair(std::uint8_t lead, std::uint8_t trail,
                                  CodePage codePage = CodePage::Gbk936);

/// Each code unit's code from a table of 65 536 codes, as bytes: a code above 0xFF gives its high
/// then its low byte, any other code its one byte. The loop under ToAnsiBytes, for tables that
/// differ from a code page's own.
[[nodiscard]] std::string BytesOfCodes(std::u16string_view text, const std::uint16_t* codeOf);

/// BytesOfCodes of the code units of valid UTF-8, appended to `bytes` in one pass, for a text read
/// a block at a time. Where `lacking` is given (a code page's AnsiCodeTable), each unit the code
/// page lacks (its code there is that of "?", and it is no "?") is first made "?", as the boxes
/// show it, and the function gives how many characters were (a surrogate pair is one); otherwise
/// it gives 0. Bytes that are not valid UTF-8 give some bytes, never a read past their end.
std::size_t AppendUtf8AsCodeBytes(std::string& bytes, std::string_view utf8,
                                  const std::uint16_t* codeOf, const std::uint16_t* lacking);

/// Bytes in the code page: a single-byte character gives its byte, a double-byte one its lead then
/// trail byte, and a code unit the code page lacks gives "?" (63) -- so a lone surrogate gives one
/// "?" and a surrogate pair two. Never fails.
[[nodiscard]] std::string ToAnsiBytes(std::u16string_view text,
                                      CodePage codePage = CodePage::Gbk936);

/// Decodes code-page bytes exactly as ICU's converter does: each sequence that forms no character
/// gives one U+FFFD, a lead byte followed by a byte that cannot be its trail is bad alone and the
/// byte after it is read again, and an unassigned pair is bad as a whole. Zero bytes give U+0000.
/// Never fails; one code unit per byte at most.
[[nodiscard]] std::u16string FromAnsiBytes(std::string_view bytes,
                                           CodePage codePage = CodePage::Gbk936);

/// Appends the character(s) that one or two code-page bytes decode to, as FromAnsiBytes reads
/// them: codes 0..255 are one byte, larger codes their high byte then low byte (0x4142 gives AB,
/// a lone lead byte U+FFFD).
void AppendAnsiCodeChars(std::u16string& out, std::uint16_t code,
                         CodePage codePage = CodePage::Gbk936);

/// Replaces every code unit the code page lacks by "?", in place; gives how many it replaced.
std::size_t ReplaceMissing(std::span<char16_t> units, CodePage codePage = CodePage::Gbk936);

} // namespace kelvaro
