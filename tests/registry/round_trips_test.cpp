// Every operation that has an inverse gives the text back through it, in every charset it follows,
// on the domain where the pair round-trips by design. The decoder reads what the encoder's box
// shows, as the window's buttons do; the text compared with is the input as the charset's box
// keeps it.

#include "registry/operations.h"
#include "support/generate.h"
#include "support/text.h"
#include "text/box_rule.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace kelvaro {
namespace {

using testing::U8;

bool Holds(std::u16string_view text, std::u16string_view any) {
  return text.find_first_of(any) != std::u16string_view::npos;
}

bool HasPercentEscape(std::u16string_view text) {
  for (std::size_t i = 0; i + 2 < text.size(); ++i) {
    const auto hex = [](char16_t c) {
      return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
    };
    if (text[i] == u'%' && hex(text[i + 1]) && hex(text[i + 2]))
      return true;
  }
  return false;
}

// The texts on which an encoder and its decoder promise the round trip.
bool InDomain(std::string_view encoder, std::u16string_view box, Charset charset) {
  if (encoder == "url-encode") {
    // In UTF-16 the space's escape %20 is one byte of a two-byte charset: right before another
    // escape (a space's, or another character's) the two read as one character.
    const bool utf16 = charset == Charset::Utf16Le || charset == Charset::Utf16Be;
    for (std::size_t i = 0; utf16 && i + 1 < box.size(); ++i) {
      if (box[i] == u' ' && (box[i + 1] == u' ' || box[i + 1] >= 0x80))
        return false;
    }
    return !Holds(box, u"+") && !HasPercentEscape(box);
  }
  if (encoder == "hex-encode") // GBK codes whatever the charset, and every line break is CR LF
    return !Holds(box, u"\r\n") && box == ApplyTextBoxRule(box, Charset::Gbk);
  if (encoder == "unicode-escape")
    return !Holds(box, u"\\");
  if (encoder == "utf8-encode" || encoder == "uri-component-encode")
    return !HasPercentEscape(box);
  if (encoder == "html-encode") {
    for (const char16_t unit : box) {
      if (unit >= 0x80 && unit <= 0x9F)
        return false;
    }
    return true;
  }
  if (encoder == "fullwidth")
    return !Holds(box, u"\u3000") && std::none_of(box.begin(), box.end(), [](char16_t c) {
      return c >= 0xFF01 && c <= 0xFF5E;
    });
  // Base64, script escapes: every text.
  return encoder == "base64-encode" || encoder == "escape";
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
        const std::u16string box =
            ApplyTextBoxRule(testing::GenerateMixedText(random, random() % 30), info.charset);
        if (!InDomain(encoder.cliName, box, info.charset))
          continue;
        const Outcome encoded = RunOnBoxText(encoder, box, options);
        ASSERT_TRUE(encoded.text) << U8(box);
        const Outcome decoded = RunOnBoxText(decoder, *encoded.text, options);
        ASSERT_TRUE(decoded.text);
        ASSERT_EQ(*decoded.text, box) << "encoded: " << U8(*encoded.text);
        ++checked;
      }
      // Pairs without a domain here (mojibake, the byte reinterpretations, GB-BIG5, the
      // variants) are tested in their own units.
      if (InDomain(encoder.cliName, u"a", info.charset))
        EXPECT_GT(checked, rounds / 20);
    }
  }
}

} // namespace
} // namespace kelvaro
