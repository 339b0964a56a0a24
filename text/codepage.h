#pragma once
// Code-page bytes of a text and back. Code page 936 (GBK) is the system code page the boxes hold
// their text in; code page 950 (BIG5) is reached through locale 1028. Both are ICU's windows-*-2000
// tables, which map the user-defined areas to the Private Use Area (bytes A1 40 in 936 read
// U+E4C6).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kelvaro {

/// Locale ids as the conversions name them: 0 is the system code page (936).
inline constexpr int kLocaleSystem = 0;
inline constexpr int kLocaleChinesePrc = 2052;    ///< code page 936
inline constexpr int kLocaleChineseTaiwan = 1028; ///< code page 950

enum class CodePage { Gbk936, Big5_950 };

/// Code page of a locale id; any id other than 1028 is code page 936.
[[nodiscard]] CodePage CodePageOfLocale(int locale);

/// Bytes in code page 936 or 950. Each UTF-16 code unit is one character: a single-byte character
/// gives its byte, a double-byte one its lead then trail byte, and a code unit the code page lacks
/// gives "?" (63) -- so a lone surrogate gives one "?" and a surrogate pair two. Never fails.
[[nodiscard]] std::string ToAnsiBytes(std::u16string_view text, int locale = kLocaleSystem);

/// ToAnsiBytes into a caller's buffer of at least 2 * text.size() + 1 bytes (the spare byte is
/// scratch); gives the number of bytes written. For loops that convert a large text in pieces.
std::size_t WriteAnsiBytes(std::u16string_view text, char* out, int locale = kLocaleSystem);

/// Decodes code-page bytes. Each sequence that forms no character gives one U+FFFD, as ICU
/// delimits them (a lead byte whose trail does not fit is bad alone; the trail is read again).
/// Zero bytes give U+0000. Never fails.
[[nodiscard]] std::u16string FromAnsiBytes(std::string_view bytes, int locale = kLocaleSystem);

/// Code of one UTF-16 code unit in a code page, unsigned: below 0x100 a single byte, otherwise
/// lead * 256 + trail. A code unit the code page lacks gives 63, the code of "?".
[[nodiscard]] std::uint16_t AnsiCodeOfUnit(char16_t unit, CodePage codePage = CodePage::Gbk936);

/// The same codes as AnsiCodeOfUnit for every code unit at once, indexed by the unit: for loops
/// over large texts, which look the table up once instead of once per character.
[[nodiscard]] const std::uint16_t* AnsiCodeTable(CodePage codePage = CodePage::Gbk936);

/// True when code page 936 has the code unit (U+003F itself included). Surrogates are never in it.
[[nodiscard]] bool IsInCodePage936(char16_t unit);

/// For every code unit, what a text box shows for it: the unit itself where code page 936 has it,
/// "?" where it lacks it. Indexed by the unit.
[[nodiscard]] const char16_t* TextBoxUnitTable();

/// Replaces every code unit that code page 936 lacks by "?", in place.
void ReplaceMissingFrom936(std::span<char16_t> units);

/// Appends the character(s) that one or two code-page bytes decode to: codes 0..255 are one byte,
/// larger codes are their high byte then low byte decoded together. Bytes that form no character
/// give U+FFFD (a lone lead byte 0x81..0xFE gives U+FFFD).
void AppendAnsiCodeChars(std::u16string& out, std::uint16_t code,
                         CodePage codePage = CodePage::Gbk936);

} // namespace kelvaro
