#include "codec/escape/unicode_escape.h"
#include "support/generate.h"
#include "support/text.h"

#include <gtest/gtest.h>
#include <random>
#include <string_view>

namespace kelvaro::testing {
namespace {

using namespace std::literals;

struct OracleCase {
  std::u16string_view in, out;
};

#include "unicode_escape_oracle.inc"

struct Case {
  std::u16string_view in, out;
};

constexpr Case kEscapes[] = {
    {u"", u""},
    {u"Abc 123", u"Abc 123"},
    {u"中", u"\\u4e2d"},
    {u"中文", u"\\u4e2d\\u6587"},
    {u"\"\\\r\n\t\x7F", u"\"\\\r\n\t\x7F"}, // not a JSON string encoder
    {u"\\u4e2d", u"\\u4e2d"},
    {u"\x0080\x00FF\xFFFF", u"\\u0080\\u00ff\\uffff"},
    {u"\xD83D\xDE00", u"\\ud83d\\ude00"},
    {u"a\xDC00z", u"a\\udc00z"},
};

TEST(UnicodeEscape, EscapesEveryCodeUnitFromU0080) {
  for (const auto& c : kEscapes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(UnicodeEscape(c.in), c.out);
  }
}

TEST(UnicodeEscape, WritesCapitalsWhenAsked) {
  EXPECT_EQ(UnicodeEscape(u"中a\xD83D\xDE00", true), u"\\u4E2Da\\uD83D\\uDE00");
}

// The hexadecimal digits of every "\u" escape in capitals, the rest as it is.
std::u16string WithCapitalDigits(std::u16string_view escaped) {
  std::u16string out(escaped);
  for (std::size_t i = 0; i + 5 < out.size(); ++i) {
    if (out[i] == u'\\' && out[i + 1] == u'u') {
      for (std::size_t k = i + 2; k < i + 6; ++k)
        out[k] = out[k] >= u'a' && out[k] <= u'f' ? static_cast<char16_t>(out[k] - 32) : out[k];
      i += 5;
    }
  }
  return out;
}

TEST(UnicodeEscape, AgreesWithJsonDumps) {
  for (const auto& c : kJsonEscapes) {
    SCOPED_TRACE(U8(c.out));
    EXPECT_EQ(UnicodeEscape(c.in), c.out);
    EXPECT_EQ(UnicodeEscape(c.in, true), WithCapitalDigits(c.out));
  }
}

TEST(UnicodeUnescape, AgreesWithJsonLoads) {
  for (const auto& c : kJsonEscapes) {
    SCOPED_TRACE(U8(c.out));
    EXPECT_EQ(UnicodeUnescape(c.out), c.in);
    EXPECT_EQ(UnicodeUnescape(WithCapitalDigits(c.out)), c.in);
  }
}

constexpr Case kUnescapes[] = {
    {u"", u""},
    {u"plain text", u"plain text"},
    {u"\\u4e2d\\u6587", u"中文"},
    {u"\\u4E2D", u"中"},
    {u"\\u4e2D5", u"中5"},
    {u"\\ud83d\\ude00", u"\xD83D\xDE00"},
    {u"\\uD83D", u"\xD83D"}, // a lone surrogate escape names that code unit
    {u"\\U0001F600", u"\xD83D\xDE00"},
    {u"\\U0001f600", u"\xD83D\xDE00"},
    {u"\\U00004E2D", u"中"},
    {u"\\u{1F600}", u"\xD83D\xDE00"},
    {u"\\u{4e2d}", u"中"},
    {u"\\u{41}\\u{0000000041}", u"AA"},
    {u"\\u{10FFFF}", u"\xDBFF\xDFFF"},
    // Left as they are: no character, or cut short.
    {u"\\u{110000}", u"\\u{110000}"},
    {u"\\u{D800}", u"\\u{D800}"},
    {u"\\U0000DFFF", u"\\U0000DFFF"},
    {u"\\U00110000", u"\\U00110000"},
    {u"\\UFFFFFFFF", u"\\UFFFFFFFF"},
    {u"\\U1F600", u"\\U1F600"},
    {u"\\u{}", u"\\u{}"},
    {u"\\u{41", u"\\u{41"},
    {u"\\u{4G}", u"\\u{4G}"},
    {u"\\u12", u"\\u12"},
    {u"\\u12G4", u"\\u12G4"},
    {u"\\U4E2D", u"\\U4E2D"},
    {u"\\x41\\n\\", u"\\x41\\n\\"},
    {u"\\", u"\\"},
    {u"\\\\u4e2d", u"\\中"}, // a backslash is no escape of its own
    {u"\\u\\u4e2d", u"\\u中"},
};

TEST(UnicodeUnescape, ReadsFourDigitEightDigitAndBracedEscapes) {
  for (const auto& c : kUnescapes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(UnicodeUnescape(c.in), c.out);
  }
}

TEST(UnicodeUnescape, NeverReadsWhatItDecoded) {
  EXPECT_EQ(UnicodeUnescape(u"\\u005cu4e2d"), u"\\u4e2d");
  EXPECT_EQ(UnicodeUnescape(u"\\u{5c}u{41}"), u"\\u{41}");
}

// Long runs of escape starts: each must be read once, and come back as they were.
TEST(UnicodeUnescape, LeavesHugeRunsOfEscapeStartsAsTheyAre) {
  for (const std::u16string_view unit : {u"\\u"sv, u"\\u{"sv, u"\\U"sv, u"\\"sv, u"\\u{0"sv}) {
    std::u16string text;
    while (text.size() < (1u << 20))
      text += unit;
    EXPECT_EQ(UnicodeUnescape(text), text);
  }
  const std::u16string zeros(1u << 20, u'0');
  EXPECT_EQ(UnicodeUnescape(u"\\u{" + zeros + u"41}"), u"A");
  EXPECT_EQ(UnicodeUnescape(u"\\u{1" + zeros + u"}"), u"\\u{1" + zeros + u"}");
}

// Any code units, backslashes, "u" and digits among them.
std::u16string AnyText(std::mt19937& random, std::size_t length) {
  constexpr std::u16string_view kAscii = u"\\\\\\uuU{}0123456789ABCDEFabcdef \r\n";
  std::u16string text;
  while (text.size() < length) {
    const unsigned pick = random() % 4;
    text.push_back(pick == 0   ? static_cast<char16_t>(random() % 0x10000)
                   : pick == 1 ? static_cast<char16_t>(0x4E00 + random() % 0x5200)
                               : kAscii[random() % kAscii.size()]);
  }
  return text;
}

// The round trip holds for every text that holds no escape itself, that is, every text that
// UnicodeUnescape leaves as it is.
TEST(UnicodeUnescape, UndoesUnicodeEscape) {
  std::mt19937 random(15001);
  int checked = 0;
  for (int round = 0; round < 2000; ++round) {
    const std::u16string text =
        round % 2 ? AnyText(random, random() % 200) : GenerateGb2312Text(random, random() % 200);
    if (UnicodeUnescape(text) != text)
      continue;
    SCOPED_TRACE(U8(text));
    ASSERT_EQ(UnicodeUnescape(UnicodeEscape(text)), text);
    ASSERT_EQ(UnicodeUnescape(UnicodeEscape(text, true)), text);
    ++checked;
  }
  EXPECT_GT(checked, 1500);
}

} // namespace
} // namespace kelvaro::testing
