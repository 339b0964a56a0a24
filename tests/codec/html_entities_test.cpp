#include "codec/escape/html_entities.h"
#include "support/domains.h"
#include "support/generate.h"
#include "support/text.h"
#include "text/utf.h"

#include <gtest/gtest.h>
#include <random>
#include <string_view>

namespace kelvaro::testing {
namespace {

using namespace std::literals;

struct OracleCase {
  std::u16string_view in, out;
};

#include "html_unescape_oracle.inc"

struct Case {
  std::u16string_view in, out;
};

constexpr Case kEncodes[] = {
    {u"", u""},
    {u"plain text\r\n\t", u"plain text\r\n\t"},
    {u"a&b<c>d\"e'f", u"a&amp;b&lt;c&gt;d&quot;e&#39;f"},
    {u"&amp;", u"&amp;amp;"},
    {u"中", u"&#20013;"},
    {u"中文", u"&#20013;&#25991;"},
    {u"\x007F\x0080", u"\x007F&#128;"},
    {u"é\x03E7\x03E8", u"&#233;&#999;&#1000;"},
    {u"\x270F\x2710\xFFFF", u"&#9999;&#10000;&#65535;"},
    {u"\xD800\xDC00\xD83D\xDE00", u"&#65536;&#128512;"},
    {u"\xDBFF\xDFFF", u"&#1114111;"},
    {u"\xD83D", u"&#65533;"}, // a lone surrogate has no code point of its own
    {u"a\xDE00z\xD800", u"a&#65533;z&#65533;"},
};

TEST(HtmlEncode, WritesFiveSignsByNameAndNonAsciiInDecimal) {
  for (const auto& c : kEncodes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(HtmlEncode(c.in), c.out);
  }
}

TEST(HtmlDecode, AgreesWithPythonHtmlUnescape) {
  for (const auto& c : kHtmlUnescapes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(HtmlDecode(c.in), c.out);
  }
}

constexpr Case kDecodes[] = {
    {u"&#20013;&#x6587;&#X6587", u"中文文"},
    {u"&lt;&gt;&amp;&quot;&apos;&#39;", u"<>&\"''"},
    {u"&copy 2024", u"© 2024"},
    {u"&notit;", u"¬it;"},    // the longest legacy name without ";"
    {u"&notin;", u"∉"},       // a name with ";"
    {u"&ltx", u"<x"},         // legacy names need no ";"
    {u"&hellip", u"&hellip"}, // other names do
    {u"&#128;&#x9F;", u"€Ÿ"}, // HTML5 reads 0x80..0x9F as code page 1252
    {u"&#0;&#xD800;&#x110000;", u"\xFFFD\xFFFD\xFFFD"},
    {u"&#13;", u"\r"},
    {u"a&#1;b&#xFFFE;c&#xFDD0;d&#x10FFFF;e", u"abcde"}, // dropped
    {u"&#xFFFFFFFFFFFFFFFFFFFF1;", u"\xFFFD"},
    {u"&#x;&#;&# 1", u"&#x;&#;&# 1"},
    {u"&Afr;", u"\xD835\xDD04"},
    {u"&NotEqualTilde;", u"\x2242\x0338"},
};

TEST(HtmlDecode, ReadsNumericAndNamedReferences) {
  for (const auto& c : kDecodes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(HtmlDecode(c.in), c.out);
  }
}

// Python refuses decimal references longer than its integer limit of 4300 digits; the leading
// zeros of one are no reason to fail.
TEST(HtmlDecode, ReadsDecimalReferencesOfAnyLength) {
  EXPECT_EQ(HtmlDecode(u"&#" + std::u16string(5000, u'0') + u"65;"), u"A");
  EXPECT_EQ(HtmlDecode(u"&#" + std::u16string(5000, u'9') + u";x"), u"\xFFFD"
                                                                    u"x");
}

// Long runs of reference starts: each must be read once, and come back as they were.
TEST(HtmlDecode, LeavesHugeRunsOfReferenceStartsAsTheyAre) {
  for (const std::u16string_view unit : {u"&#"sv, u"&"sv, u"&#x"sv, u"&a"sv, u"&hellip"sv}) {
    std::u16string text;
    while (text.size() < (1u << 20))
      text += unit;
    EXPECT_EQ(HtmlDecode(text), text);
  }
  EXPECT_EQ(HtmlDecode(u"&" + std::u16string(1u << 20, u'a') + u";"),
            u"&" + std::u16string(1u << 20, u'a') + u";");
}

// Code points whose references decode to something else: the C1 controls (replaced), the
// noncharacters (dropped) and the surrogates (U+FFFD).
bool ComesBackFromReference(char32_t codePoint) {
  return !(codePoint >= 0x80 && codePoint <= 0x9F) &&
         !(codePoint >= 0xFDD0 && codePoint <= 0xFDEF) && (codePoint & 0xFFFE) != 0xFFFE &&
         !(codePoint >= 0xD800 && codePoint <= 0xDFFF);
}

// Found by the fuzzer: a noncharacter beyond the BMP (U+FFFFF, the pair D8BF DFFF) decodes to
// nothing, as Python drops it; the round trip's domain had looked at code units, not code points.
TEST(HtmlDecode, NoncharactersBeyondTheBmpAreOutsideTheRoundTrip) {
  const std::u16string text = u"a\U000FFFFFb";
  EXPECT_EQ(HtmlEncode(text), u"a&#1048575;b");
  EXPECT_EQ(HtmlDecode(HtmlEncode(text)), u"ab");
  EXPECT_FALSE(InRoundTripDomain("html-encode", text, Charset::Gb18030));
  EXPECT_TRUE(InRoundTripDomain("html-encode", u"a\U0010FFFDb", Charset::Gb18030));
}

// Found by the fuzzer: references to the BMP's noncharacters decode to nothing as well, so text
// holding one is outside the round trip in every charset that can hold it.
TEST(HtmlDecode, NoncharactersInTheBmpAreOutsideTheRoundTrip) {
  for (const std::u16string_view text :
       {u"a\uFDD0b"sv, u"a\uFDEFb"sv, u"a\uFFFEb"sv, u"a\uFFFFb"sv}) {
    SCOPED_TRACE(U8(text));
    EXPECT_EQ(HtmlDecode(HtmlEncode(text)), u"ab");
    EXPECT_FALSE(InRoundTripDomain("html-encode", text, Charset::Gb18030));
  }
  EXPECT_TRUE(InRoundTripDomain("html-encode", u"a\uFDCF\uFDF0\uFFFDb", Charset::Gb18030));
}

TEST(HtmlDecode, UndoesHtmlEncode) {
  std::mt19937 random(15002);
  constexpr std::u16string_view kAscii = u"&&&#;<>\"'x0123456789amplt \r\n\t";
  for (int round = 0; round < 2000; ++round) {
    std::u16string text = GenerateGb2312Text(random, random() % 100);
    for (std::size_t n = random() % 100; n > 0; --n) {
      const char32_t codePoint = random() % 3 == 0 ? random() % 0x110000 : random() % 0x80;
      if (codePoint < 0x80)
        text.push_back(kAscii[codePoint % kAscii.size()]);
      else if (ComesBackFromReference(codePoint))
        AppendCodePoint(text, codePoint);
    }
    SCOPED_TRACE(U8(text));
    ASSERT_EQ(HtmlDecode(HtmlEncode(text)), text);
  }
}

} // namespace
} // namespace kelvaro::testing
