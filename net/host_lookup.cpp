#include "net/host_lookup.h"

#include "text/idna.h"

namespace kelvaro::net {
namespace {

// No resolver answers for a name this long (DNS stops at 253 characters), and IDNA refuses longer
// names unread: a pasted megabyte must not stall the click.
constexpr std::size_t kLongestHostName = kLongestIdnaName;

bool IsAscii(std::u16string_view name) {
  for (const char16_t unit : name) {
    if (unit >= 0x80)
      return false;
  }
  return true;
}

std::u16string DottedDecimal(const Ipv4Address& address) {
  std::u16string text;
  for (const std::uint8_t part : address) {
    if (!text.empty())
      text.push_back(u'.');
    if (part >= 100)
      text.push_back(static_cast<char16_t>(u'0' + part / 100));
    if (part >= 10)
      text.push_back(static_cast<char16_t>(u'0' + part / 10 % 10));
    text.push_back(static_cast<char16_t>(u'0' + part % 10));
  }
  return text;
}

std::u16string_view TrimBlanksAndLineBreaks(std::u16string_view text) {
  constexpr std::u16string_view kAround = u" \t\r\n";
  const std::size_t first = text.find_first_not_of(kAround);
  if (first == std::u16string_view::npos)
    return {};
  return text.substr(first, text.find_last_not_of(kAround) - first + 1);
}

} // namespace

std::optional<std::string> HostNameToAscii(std::u16string_view name) {
  if (IsAscii(name))
    return std::string(name.begin(), name.end());
  const std::optional<std::u16string> ascii = IdnaToAscii(name);
  if (!ascii)
    return std::nullopt;
  return std::string(ascii->begin(), ascii->end());
}

Result<std::u16string> HostToAddress(std::u16string_view name, const HostResolver& resolver) {
  if (name.empty() || name.size() > kLongestHostName)
    return Fail(ErrorCode::HostNotFound);
  // A zero unit would end the name early at the system call.
  if (const std::size_t zero = name.find(u'\0'); zero != std::u16string_view::npos)
    return Fail(ErrorCode::HostNotFound, zero);
  const std::optional<std::string> ascii = HostNameToAscii(name);
  if (!ascii || ascii->empty())
    return Fail(ErrorCode::HostNotFound);
  const std::vector<Ipv4Address> addresses = resolver.ResolveIpv4(*ascii);
  if (addresses.empty())
    return Fail(ErrorCode::HostNotFound);
  return DottedDecimal(addresses.front());
}

Result<std::u16string> HostAddressLine(std::u16string_view name, const HostResolver& resolver) {
  name = TrimBlanksAndLineBreaks(name);
  Result<std::u16string> address = HostToAddress(name, resolver);
  if (!address)
    return address;
  std::u16string line;
  line.reserve(name.size() + kAddressIntro.size() + address->size());
  line.append(name);
  line.append(kAddressIntro);
  line.append(*address);
  return line;
}

} // namespace kelvaro::net
