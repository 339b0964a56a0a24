#pragma once
// Host name to its first IPv4 address: the button "域名转IP" and host-to-ip.

#include "net/resolver.h"
#include "registry/operations.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro::net {

/// What follows the name in the result line.
inline constexpr std::u16string_view kAddressIntro = u"的IP地址是：";
/// The message when the name gives no address.
inline constexpr std::u16string_view kNoHostFound = u"Kein Host gefunden.";

/// The name as the resolver takes it. A name of ASCII characters is used exactly as it is (blanks
/// and line breaks included); any other name goes through UTS #46 processing (IDNA,
/// nontransitional) to its ASCII form: 例子.测试 gives xn--fsqu00a.xn--0zwm56d. Empty when IDNA
/// rejects the name.
[[nodiscard]] std::optional<std::string> HostNameToAscii(std::u16string_view name);

/// The first IPv4 address of a host name in dotted decimal without leading zeros ("127.0.0.1"),
/// the first in the order the resolver gives them. Empty when nothing resolves: an empty name, a
/// name containing U+0000, a name of more than 1024 code units (four times what DNS carries), a
/// name that IDNA rejects, or one with no IPv4 address. Blocks while the resolver works.
[[nodiscard]] std::optional<std::u16string> HostToAddress(std::u16string_view name,
                                                          const HostResolver& resolver);

/// The button "域名转IP": the name exactly as typed, "的IP地址是：", then `HostToAddress` of it,
/// through `options.resolver` or, when that is null, the platform's resolver. When nothing resolves
/// the outcome is refused with "Kein Host gefunden." (the window's caption as title), and the
/// result box keeps its content.
[[nodiscard]] Outcome HostToIp(std::u16string_view name, const OperationOptions& options);

} // namespace kelvaro::net
