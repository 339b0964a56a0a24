#include "net/host_lookup.h"

#include <memory>
#include <unicode/uidna.h>

namespace kelvaro::net {
namespace {

// Four times the longest name DNS carries, leaving room for blanks, line breaks and characters
// that IDNA drops.
constexpr std::size_t kLongestHostName = 1024;

struct IdnaClose {
  void operator()(UIDNA* idna) const { uidna_close(idna); }
};

// One immutable UTS #46 processor for the process; ICU allows concurrent use of it.
const UIDNA* Idna() {
  static const std::unique_ptr<UIDNA, IdnaClose> idna = [] {
    UErrorCode status = U_ZERO_ERROR;
    // Nontransitional, as current browsers and resolvers read names: ß and ς stay themselves
    // instead of turning into ss and σ.
    std::unique_ptr<UIDNA, IdnaClose> opened(uidna_openUTS46(
        UIDNA_NONTRANSITIONAL_TO_ASCII | UIDNA_CHECK_BIDI | UIDNA_CHECK_CONTEXTJ, &status));
    if (U_FAILURE(status))
      opened.reset();
    return opened;
  }();
  return idna.get();
}

bool IsAscii(std::u16string_view name) {
  for (const char16_t unit : name) {
    if (unit >= 0x80)
      return false;
  }
  return true;
}

std::optional<std::string> IdnaToAscii(std::u16string_view name) {
  const UIDNA* idna = Idna();
  if (idna == nullptr)
    return std::nullopt;
  const auto length = static_cast<int32_t>(name.size());
  if (static_cast<std::size_t>(length) != name.size())
    return std::nullopt;
  std::u16string ascii(name.size() + 64, u'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    UErrorCode status = U_ZERO_ERROR;
    UIDNAInfo info = UIDNA_INFO_INITIALIZER;
    const int32_t written = uidna_nameToASCII(idna, name.data(), length, ascii.data(),
                                              static_cast<int32_t>(ascii.size()), &info, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      ascii.assign(static_cast<std::size_t>(written), u'\0');
      continue;
    }
    if (U_FAILURE(status) || info.errors != 0)
      return std::nullopt;
    std::string result;
    result.reserve(static_cast<std::size_t>(written));
    for (int32_t i = 0; i < written; ++i) {
      if (ascii[i] >= 0x80)
        return std::nullopt;
      result.push_back(static_cast<char>(ascii[i]));
    }
    return result;
  }
  return std::nullopt;
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
  if (!IsAscii(name))
    return IdnaToAscii(name);
  return std::string(name.begin(), name.end());
}

Result<std::u16string> HostToAddress(std::u16string_view name, const HostResolver& resolver) {
  // No resolver answers for a name this long (DNS stops at 253 characters), and Punycode takes
  // time growing with the square of a label's length: a pasted megabyte must not stall the click.
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
