// Runs the registry operations of one family (fuzz/families.txt; KELVARO_FUZZ_OPERATIONS names
// them) on arbitrary input, calling each operation's function directly so that an exception is a
// finding rather than a refusal. Checks: no crash, hang (libFuzzer's -timeout) or sanitizer
// finding; no refusal without a message; well-formed UTF-16 out of well-formed UTF-16 in, except
// where an operation writes the code units its input spells out; and the round trip of every
// encoder of the family with its decoder, on the texts where the pair promises it
// (tests/support/domains.h), in the charset the input picks; and where an operation streams
// standard input as bytes, that the stream gives what the run on the text gives.
//
// Input layout: byte 0 picks the operation among the family's, byte 1 holds flags (bit 0 the
// "大写" box, bit 1 read the rest as UTF-8 rather than raw UTF-16LE code units), byte 2 picks the
// charset; the rest is the text.

#include "net/resolver.h"
#include "registry/operations.h"
#include "support/domains.h"
#include "text/box_rule.h"
#include "text/utf.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

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

// The family's rows, in registry order.
const std::vector<const Operation*>& Family() {
  static const std::vector<const Operation*> family = [] {
    std::vector<const Operation*> rows;
    std::istringstream names(KELVARO_FUZZ_OPERATIONS);
    for (std::string name; names >> name;) {
      const auto operation = FindOperation(name);
      if (!operation) {
        std::fprintf(stderr, "fuzz family names an unknown operation: %s\n", name.c_str());
        std::abort();
      }
      rows.push_back(&operation->get());
    }
    return rows;
  }();
  return family;
}

std::u16string TextFrom(const std::uint8_t* data, std::size_t size, bool asUtf8) {
  if (asUtf8)
    return Utf8ToUtf16Lenient(std::string_view(reinterpret_cast<const char*>(data), size));
  std::u16string text;
  text.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2)
    text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  return text;
}

void Require(bool condition, const char* what, const Operation& operation, Charset charset) {
  if (condition)
    return;
  std::fprintf(stderr, "%s: %.*s in %.*s\n", what, static_cast<int>(operation.cliName.size()),
               operation.cliName.data(), static_cast<int>(InfoOf(charset).name.size()),
               InfoOf(charset).name.data());
  std::abort();
}

// These build code units straight from what the input spells out (%uD800, escaped surrogate
// halves, byte pairs), so a lone surrogate in their result is the input's own.
bool MayGiveLoneSurrogates(std::string_view name) {
  return name == "unescape" || name == "utf8-decode" || name == "ansi-as-unicode" ||
         name == "unicode-unescape";
}

// The command line's way with standard input: the text's UTF-8 a block at a time through the
// operation's bytes, which must give what the window's run on the same text gives.
void RequireStreamAgrees(const Operation& operation, std::u16string_view input,
                         const OperationOptions& options) {
  if (operation.streamOnBytes == nullptr)
    return;
  const std::string utf8 = Utf16ToUtf8(input); // a lone surrogate as U+FFFD: valid UTF-8
  const Outcome whole = RunOnBoxText(operation, *Utf8ToUtf16(utf8), options);
  BoxBytesStream stream(operation, options);
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t end = std::min(utf8.size(), i + 1 + i % 7);
    while (end < utf8.size() && IsUtf8Continuation(static_cast<unsigned char>(utf8[end])))
      ++end;
    stream.Add(std::string_view(utf8).substr(i, end - i));
    i = end;
  }
  const BytesOutcome run = stream.Finish();
  Require(run.text.has_value() == whole.text.has_value() &&
              (!whole.text || *run.text == Utf16ToUtf8(*whole.text)) &&
              run.questionMarks == whole.questionMarks &&
              run.inputCut.has_value() == whole.inputCut.has_value() &&
              run.resultCut.has_value() == whole.resultCut.has_value(),
          "standard input in blocks differs from the run on text", operation, options.charset);
}

} // namespace
} // namespace kelvaro

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvaro;
  if (size < 3)
    return 0;
  const std::vector<const Operation*>& family = Family();
  const Operation& operation = *family[data[0] % family.size()];
  const Charset charset = Charsets()[data[2] % Charsets().size()].charset;
  static const FakeResolver resolver;
  const OperationOptions options{
      .upper = (data[1] & 1) != 0, .charset = charset, .resolver = &resolver};
  const std::u16string input = TextFrom(data + 3, size - 3, (data[1] & 2) != 0);

  const Outcome raw = operation.run(input, options);
  Require(raw.text || raw.message, "refused without a message", operation, charset);
  if (raw.text && IsWellFormedUtf16(input) && !MayGiveLoneSurrogates(operation.cliName))
    Require(IsWellFormedUtf16(*raw.text), "ill-formed UTF-16 result", operation, charset);

  RequireStreamAgrees(operation, input, options);

  // What the window does: the box's text goes in, and the decoder reads the encoder's box. The
  // texts are those the charset can encode: what it lacks is "?" in the bytes.
  std::u16string box = ApplyTextBoxRule(input);
  WriteUnencodableAsQuestionMarks(box, charset);
  if (!testing::InRoundTripDomain(operation.cliName, box, charset))
    return 0;
  const Outcome encoded = operation.run(box, options);
  // The decoder reads what the encoder's box shows; where that box loses part of the encoding
  // (a U+0000 with text after it), nothing comes back whole.
  if (!encoded.text || ApplyTextBoxRule(*encoded.text) != *encoded.text)
    return 0;
  for (const Operation* decoder : family) {
    if (decoder->inverseOf != operation.cliName)
      continue;
    const Outcome decoded = decoder->run(*encoded.text, options);
    Require(decoded.text && ApplyTextBoxRule(*decoded.text) == box, "round trip broken",
            *decoder, charset);
  }
  return 0;
}
