#pragma once
// The system's own resolver (getaddrinfo), as the program uses it outside tests.

#include "net/resolver.h"

namespace kelvaro::net {

/// Resolves through getaddrinfo for IPv4 only, giving the addresses in the order the system
/// returns them (hosts file, DNS, ... as the system is configured). Blocks until the system
/// answers. Names under the reserved top-level domain "invalid" give no address without a query
/// (RFC 6761); so does a name containing a zero byte, which the system call would cut short.
class PlatformResolver final : public HostResolver {
public:
  [[nodiscard]] std::vector<Ipv4Address> ResolveIpv4(const std::string& asciiName) const override;
};

} // namespace kelvaro::net
