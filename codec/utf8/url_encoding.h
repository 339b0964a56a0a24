#pragma once
// Percent form of text in a byte charset, as web addresses carry Chinese text: in code page 936 a
// double-byte character is its lead and trail byte, each escaped.

#include "text/charset.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

/// In GBK, writes each double-byte character of code page 936 as "%" lead "%" trail (upper-case
/// hexadecimal: 中 gives %D6%D0) and each space as %20. Every other character stays itself: ASCII
/// including "%", "+", CR and LF, single-byte characters (€), and characters the code page lacks.
/// In any other charset, ASCII stays as in GBK and every other character becomes "%XX" for each of
/// its bytes (a surrogate pair is one character), except one the charset lacks, which stays
/// itself. In UTF-16 the space too is its two bytes (%20%00 little-endian), so that it reads back.
/// Never fails.
[[nodiscard]] std::u16string URLEncode(std::u16string_view text, Charset charset = Charset::Gbk);

/// URLEncode in UTF-8 of a text given as its valid UTF-8, the result as ASCII bytes: each byte of a
/// character beyond ASCII as its escape, the space as %20, the rest as they are.
[[nodiscard]] std::string URLEncodeUtf8Bytes(std::string_view utf8);

/// Turns every "+" into a space, then reads escapes in one left-to-right pass (digits of either
/// case). At each "%", the longest run of escapes (up to the charset's longest character) whose
/// bytes form one character of the charset gives that character (%D6%D0 is 中 in GBK); otherwise
/// one escape of a byte below 0x80 gives that ASCII character, and of any other byte what the
/// charset reads that byte as alone (U+FFFD where that is nothing: one for the maximal subpart of
/// a cut-short UTF-8 sequence, so %E4%B8 gives one, as WHATWG's decoder does); any other "%" is
/// copied. What
/// a decode produces is never read again, so %2541 gives %41 and %2B gives "+". Never fails.
[[nodiscard]] std::u16string URLDecode(std::u16string_view text, Charset charset = Charset::Gbk);

/// The strict form, for recognising a pasted text: the bytes the text spells, with at least one
/// escape. "%" and two hexadecimal digits (either case) give that byte, any other "%" and every
/// other ASCII character its own byte (with `form`, as a form sends a query, "+" gives a space),
/// and a character from U+0080 its bytes in the charset. Nothing when there is no escape or a
/// character has no bytes in the charset. The bytes are not checked against the charset.
[[nodiscard]] std::optional<std::string> URLDecodeBytes(std::u16string_view text, Charset charset,
                                                        bool form = false);

} // namespace kelvaro
