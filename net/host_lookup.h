#pragma once
// Host name to its first IPv4 address: the button "域名转IP" and host-to-ip.

#include "net/resolver.h"
#include "text/result.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro::net {

/// What follows the name in the result line.
inline constexpr std::u16string_view kAddressIntro = u"的IP地址是：";

/// The name as the resolver takes it. A name of ASCII characters is used exactly as it is (blanks
/// and line breaks included); any other name goes through UTS #46 processing (IDNA,
/// nontransitional) to its ASCII form: 例子.测试 gives xn--fsqu00a.xn--0zwm56d. Empty when IDNA
/// rejects the name.
[[nodiscard]] std::optional<std::string> HostNameToAscii(std::u16string_view name);

/// The first IPv4 address of a host name in dotted decimal without leading zeros ("127.0.0.1"),
/// the first in the order the resolver gives them. The name is taken exactly as given. Fails with
/// HostNotFound when nothing resolves: an empty name, a name containing U+0000, a name of more
/// than 1024 code units (four times what DNS carries), a name that IDNA rejects, or one with no
/// IPv4 address. Blocks while the resolver works.
[[nodiscard]] Result<std::u16string> HostToAddress(std::u16string_view name,
                                                   const HostResolver& resolver);

/// The result line of "域名转IP": the name, "的IP地址是：", then `HostToAddress` of the name.
/// Blanks and line breaks around the name are no part of it, for the lookup and in the line (a name
/// typed in a box or piped from echo ends with a line break). Fails as HostToAddress.
[[nodiscard]] Result<std::u16string> HostAddressLine(std::u16string_view name,
                                                     const HostResolver& resolver);

} // namespace kelvaro::net
