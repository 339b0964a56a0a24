#pragma once
// Host names between their Unicode and ASCII forms (IDNA: UTS #46 processing, non-transitional, as
// current browsers and resolvers read names), through ICU. Below both of its users: the host
// lookup and the punycode operations.

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

/// The ASCII form of a host name: each label mapped (case folded, width folded, normalised) and,
/// where it is not ASCII, written as "xn--" and its Punycode. 例子.测试 gives
/// xn--fsqu00a.xn--0zwm56d, ß and ς stay themselves (non-transitional). Nothing when IDNA rejects
/// the name (a disallowed character, a label of more than 63 octets, a bidi or joiner rule
/// broken), when it is empty, or when it is longer than kLongestIdnaName units.
[[nodiscard]] std::optional<std::u16string> IdnaToAscii(std::u16string_view name);

/// The Unicode form of a host name: each "xn--" label decoded from Punycode and checked, the other
/// labels mapped as IdnaToAscii maps them (so capitals become small letters). xn--fiq228c.com
/// gives 中文.com. Nothing when IDNA rejects the name or a label, when it is empty, or when it is
/// longer than kLongestIdnaName units.
[[nodiscard]] std::optional<std::u16string> IdnaToUnicode(std::u16string_view name);

/// Four times the longest name DNS carries, leaving room for characters that IDNA drops: Punycode
/// takes time growing with the square of a label's length, so longer names are refused unread.
inline constexpr std::size_t kLongestIdnaName = 1024;

} // namespace kelvaro
