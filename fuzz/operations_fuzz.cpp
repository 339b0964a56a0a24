// Runs every registry operation on arbitrary input: nothing may crash, hang or throw (the functions
// are called directly, so an exception is a finding rather than a refusal), results are
// well-formed UTF-16 where the conversion builds them from bytes, and the round trips that the
// conversions promise hold.
//
// Input layout: byte 0 picks the operation, byte 1 holds flags (bit 0 --upper, bit 1 read the
// rest as UTF-8 rather than raw UTF-16LE code units), the rest is the text. fuzz/seeds holds one
// input per operation, named after it.

#include "net/resolver.h"
#include "registry/operations.h"
#include "text/box_rule.h"
#include "text/utf.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kelvaro {
namespace {

class FakeResolver : public net::HostResolver {
public:
  std::vector<net::Ipv4Address> ResolveIpv4(const std::string& name) const override {
    if (name.empty() || name.size() % 3 == 0)
      return {};
    return {{10, static_cast<std::uint8_t>(name.size()), 0, 1}, {127, 0, 0, 1}};
  }
};

std::u16string TextFrom(const std::uint8_t* data, std::size_t size, bool asUtf8) {
  if (asUtf8)
    return Utf8ToUtf16Lenient(std::string_view(reinterpret_cast<const char*>(data), size));
  std::u16string text;
  text.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  }
  return text;
}

void Require(bool condition, const char* what, const Operation& operation) {
  if (condition)
    return;
  std::fprintf(stderr, "%s: %.*s\n", what, static_cast<int>(operation.cliName.size()),
               operation.cliName.data());
  std::abort();
}

bool Contains(std::u16string_view text, std::u16string_view any) {
  return text.find_first_of(any) != std::u16string_view::npos;
}

// These build code units straight from what the user wrote (%uD800, escaped surrogate halves,
// byte pairs), so a lone surrogate in their result is the user's own.
bool MayGiveLoneSurrogates(const Operation& operation) {
  return operation.cliName == "unescape" || operation.cliName == "utf8-decode" ||
         operation.cliName == "ansi-as-unicode" || operation.cliName == "url-encode";
}

// Whether decoding the encoder's output must give the box text back exactly, as each pair
// promises for the texts it names.
bool RoundTripHolds(std::string_view encoder, std::u16string_view box) {
  if (encoder == "base64-encode")
    return true;
  if (encoder == "escape")
    return true;
  if (encoder == "hex-encode")
    return !Contains(box, u"\r\n");
  if (encoder == "url-encode")
    return !Contains(box, u"+%");
  if (encoder == "utf8-encode")
    return !Contains(box, u"%");
  return false;
}

// The decoder reads the box the encoder wrote, as the window's buttons do.
void CheckRoundTrip(const Operation& encoder, std::u16string_view box, const Outcome& encoded,
                    const OperationOptions& options) {
  if (!encoded.text || !RoundTripHolds(encoder.cliName, box))
    return;
  for (const Operation& decoder : Operations()) {
    if (decoder.inverseOf != encoder.cliName)
      continue;
    const Outcome decoded = decoder.run(ApplyTextBoxRule(*encoded.text), options);
    Require(decoded.text && ApplyTextBoxRule(*decoded.text) == box, "round trip broken", decoder);
  }
}

} // namespace
} // namespace kelvaro

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvaro;
  if (size < 2)
    return 0;
  const auto operations = Operations();
  const Operation& operation = operations[data[0] % operations.size()];
  static const FakeResolver resolver;
  const OperationOptions options{.upper = (data[1] & 1) != 0, .resolver = &resolver};
  const std::u16string input = TextFrom(data + 2, size - 2, (data[1] & 2) != 0);

  const Outcome raw = operation.run(input, options);
  Require(raw.text || raw.message, "refused without a message", operation);
  if (raw.text && IsWellFormedUtf16(input) && !MayGiveLoneSurrogates(operation)) {
    Require(IsWellFormedUtf16(*raw.text), "ill-formed UTF-16 result", operation);
  }

  // What the window would do: the box text goes in, and the decoder reads the encoder's box.
  const std::u16string box = ApplyTextBoxRule(input);
  CheckRoundTrip(operation, box, operation.run(box, options), options);
  return 0;
}
