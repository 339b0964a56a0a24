#include "net/platform_resolver.h"

#include "text/ascii.h"

#include <cstring>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <string_view>
#include <sys/socket.h>

namespace kelvaro::net {
namespace {

struct AddressInfoFree {
  void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

// RFC 6761, section 6.4: names under "invalid" are answered negatively by the resolving library
// itself. The system's resolver does not do this, and would send the query out.
bool IsUnderInvalidDomain(std::string_view name) {
  if (!name.empty() && name.back() == '.')
    name.remove_suffix(1);
  const std::size_t dot = name.rfind('.');
  const std::string_view last = dot == std::string_view::npos ? name : name.substr(dot + 1);
  return EqualsIgnoringAsciiCase(last, "invalid");
}

} // namespace

std::vector<Ipv4Address> PlatformResolver::ResolveIpv4(const std::string& asciiName) const {
  if (asciiName.empty() || asciiName.find('\0') != std::string::npos)
    return {};
  if (IsUnderInvalidDomain(asciiName))
    return {};

  addrinfo hints{};
  hints.ai_family = AF_INET;
  // One entry per address: without a socket type the system lists each address once for every
  // type (stream, datagram, raw).
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(asciiName.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
    return {};
  const std::unique_ptr<addrinfo, AddressInfoFree> list(found);

  std::vector<Ipv4Address> addresses;
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET || entry->ai_addr == nullptr ||
        entry->ai_addrlen < sizeof(sockaddr_in)) {
      continue;
    }
    sockaddr_in address;
    std::memcpy(&address, entry->ai_addr, sizeof address);
    Ipv4Address bytes;
    static_assert(sizeof address.sin_addr == sizeof bytes);
    // In network order, so the bytes are the dotted parts from the left.
    std::memcpy(bytes.data(), &address.sin_addr, bytes.size());
    addresses.push_back(bytes);
  }
  return addresses;
}

} // namespace kelvaro::net
