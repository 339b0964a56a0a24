// The byte operations in every charset, against Python: its codecs for the bytes, base64 and
// hashlib for what the operations make of them (tests/text/charset_oracle.inc).

#include "registry/operations.h"
#include "support/text.h"
#include "text/charset_oracle.h"

#include <gtest/gtest.h>

namespace kelvaro {
namespace {

using namespace std::string_view_literals;

std::string RunIn(std::string_view name, std::u16string_view text, Charset charset) {
  const Outcome outcome =
      RunOnBoxText(*FindOperation(name), std::u16string(text), {.charset = charset}, BoxRule::Skip);
  EXPECT_TRUE(outcome.text) << name;
  return testing::U8(outcome.text.value_or(u""));
}

TEST(CharsetOperations, Base64AndMd5AgreeWithPythonInEveryCharset) {
  for (const testing::CharsetOracleCase& c : testing::kCharsetOracle) {
    const Charset charset = *CharsetNamed(c.charset);
    SCOPED_TRACE(std::string(c.charset) + " " + testing::U8(c.text));
    EXPECT_EQ(RunIn("base64-encode", c.text, charset), c.base64);
    EXPECT_EQ(RunIn("md5-32", c.text, charset), c.md5);
    // Base64 decodes back; the spare zero bytes of the byte charsets end where the box cuts.
    const Outcome decoded = RunOnBoxText(*FindOperation("base64-decode"),
                                         testing::U16(std::string(c.base64)), {.charset = charset});
    EXPECT_EQ(decoded.text.value_or(u"(refused)"), c.text);
  }
}

} // namespace
} // namespace kelvaro
