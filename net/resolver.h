#pragma once
// The host resolver as the host lookup sees it, so that tests and the fuzzer can put a fake one in
// place of the platform's and never reach the network.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvaro::net {

using Ipv4Address = std::array<std::uint8_t, 4>;

class HostResolver {
public:
  virtual ~HostResolver() = default;
  /// IPv4 addresses of an ASCII host name, in the order the resolver gives them; empty when the
  /// name does not resolve.
  [[nodiscard]] virtual std::vector<Ipv4Address>
  ResolveIpv4(const std::string& asciiName) const = 0;
};

} // namespace kelvaro::net
