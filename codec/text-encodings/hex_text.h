#pragma once
// The program's own hexadecimal notation of code-page-936 text: one four-character group per
// character. A double-byte character is its four hex digits (中 is D6D0), a single-byte character
// its two digits between two capital letters O (A is O41O), and a line break the group ODDO.

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

/// Hex groups of the text's code-page-936 codes, digits upper-case. Every line break gives one
/// ODDO: CR LF, a lone CR and a lone LF alike. A character the code page lacks gives O3FO. Never
/// fails; any length.
[[nodiscard]] std::u16string TextToHex(std::u16string_view text);

/// Reads hex groups back. Of L characters it reads round(L / 4 - 1) + 1 groups (halves to even),
/// so a short tail of two or three characters is read as one more group only sometimes. Digits of
/// either case; the O markers only as capital O; the middle DD of a marked group gives CR LF. A
/// group that is not all hex digits (markers aside) adds nothing; a code that forms no character
/// gives U+FFFD. Never fails; any length.
[[nodiscard]] std::u16string HexToText(std::u16string_view hex);

/// The strict form, for recognising a pasted text: the code-page-936 bytes, when the whole text is
/// hex groups as TextToHex writes them -- a length of four units a group, upper-case digits, ODDO
/// for CR LF, O and two digits and O for a byte up to 0x80, and otherwise a lead byte from 0x81
/// and any trail. Nothing otherwise (an empty text included). The bytes are not checked against
/// the code page.
[[nodiscard]] std::optional<std::string> HexGroupsToBytes(std::u16string_view hex);

} // namespace kelvaro
