// Every operation that has an inverse gives the text back through it, in every charset it follows,
// on the domain where the pair round-trips by design. The decoder reads what the encoder's box
// shows, as the window's buttons do; the text compared with is the input as the charset's box
// keeps it.

#include "registry/operations.h"
#include "support/domains.h"
#include "support/generate.h"
#include "support/text.h"
#include "text/box_rule.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace kelvaro {
namespace {

using testing::U8;

// The mojibake button turns ASCII full width, so its texts leave ASCII out; they stay short, since
// the longer the UTF-8, the likelier a byte pair the charset does not hold.
std::u16string GenerateFor(std::string_view encoder, std::mt19937& random) {
  if (encoder == "punycode-encode") { // host names: labels of letters, digits and hanzi
    constexpr std::u16string_view kLetters = u"abcxyz09-中文网例子测试日本語한국пример";
    std::u16string name;
    for (std::size_t labels = 1 + random() % 3; labels > 0; --labels) {
      if (!name.empty())
        name.push_back(u'.');
      for (std::size_t n = 1 + random() % 8; n > 0; --n)
        name.push_back(kLetters[random() % kLetters.size()]);
    }
    return name;
  }
  if (encoder != "mojibake")
    return testing::GenerateMixedText(random, random() % 30, true);
  std::u16string text = testing::GenerateMixedText(random, random() % 8, true);
  std::erase_if(text, [](char16_t unit) { return unit >= 0x20 && unit <= 0x7E; });
  return text;
}

// A text every charset's domain holds where the pair has one.
std::u16string_view ProbeFor(std::string_view encoder) {
  return encoder == "mojibake" ? u"中文" : u"a";
}

TEST(RoundTrips, EveryInversePairInEveryCharsetItFollows) {
  std::mt19937 random(19);
  const int rounds = testing::PropertyRounds(60);
  for (const Operation& decoder : Operations()) {
    if (decoder.inverseOf.empty())
      continue;
    const Operation& encoder = *FindOperation(decoder.inverseOf);
    for (const CharsetInfo& info : Charsets()) {
      if (!encoder.followsCharset && info.charset != Charset::Gbk && info.charset != Charset::Utf8)
        continue;
      SCOPED_TRACE(std::string(encoder.cliName) + " in " + std::string(info.name));
      const OperationOptions options{.charset = info.charset};
      int checked = 0;
      for (int round = 0; round < rounds; ++round) {
        // Texts the charset can encode: what it lacks is "?" in the bytes anyway.
        std::u16string box = ApplyTextBoxRule(GenerateFor(encoder.cliName, random));
        WriteUnencodableAsQuestionMarks(box, info.charset);
        if (!testing::InRoundTripDomain(encoder.cliName, box, info.charset))
          continue;
        const Outcome encoded = RunOnBoxText(encoder, box, options);
        ASSERT_TRUE(encoded.text) << U8(box);
        if (encoded.questionMarks != 0)
          continue; // the encoding itself lost characters
        const Outcome decoded = RunOnBoxText(decoder, *encoded.text, options);
        ASSERT_TRUE(decoded.text);
        ASSERT_EQ(*decoded.text, box) << "encoded: " << U8(*encoded.text);
        ++checked;
      }
      // Pairs without a domain here (the byte reinterpretations, GB-BIG5, the variants, amounts)
      // are tested in their own units.
      if (testing::InRoundTripDomain(encoder.cliName, ProbeFor(encoder.cliName), info.charset)) {
        EXPECT_GT(checked, rounds / 20);
      }
    }
  }
}

// Found by the fuzzer when the boxes held only what the charset encodes: a full-width letter could
// not stand in a windows-1252 box. The boxes keep every character now, so it reads back.
TEST(RoundTrips, AFullWidthLetterStandsInAWindows1252Box) {
  const OperationOptions options{.charset = Charset::Windows1252};
  const Outcome wide = RunOnBoxText(*FindOperation("fullwidth"), u"J", options);
  EXPECT_EQ(*wide.text, u"Ｊ");
  EXPECT_EQ(wide.questionMarks, 0u);
  EXPECT_EQ(*RunOnBoxText(*FindOperation("halfwidth"), *wide.text, options).text, u"J");
}

} // namespace
} // namespace kelvaro
