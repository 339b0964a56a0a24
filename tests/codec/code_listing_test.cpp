#include "codec/escape/code_listing.h"
#include "support/generate.h"
#include "support/text.h"
#include "text/box_rule.h"
#include "text/width.h"
#include "text/codepage.h"
#include "text/hex.h"

#include <gtest/gtest.h>
#include <random>

namespace kelvaro {
namespace {

using namespace std::string_view_literals;
using testing::GenerateGb2312Text;
using testing::TextMix;
using testing::U8;

struct Case {
  std::u16string_view in, out;
};

const Case kListings[] = {
    {u"中A", u"4E2D,0041,"},
    {u"\r\n", u"000D,000A,"},
    {u"ＡＢ", u"FF21,FF22,"},
    {u"ก", u"0E01,"}, // units, whatever the charset: a Thai letter GBK lacks is itself
    {u"", u""},
    {u"\0"sv, u"0000,"},
    {u"€", u"20AC,"},
    {u"\U0001F600", u"D83D,DE00,"},
};

TEST(CodeListing, UnicodeFunListsTheUnits) {
  for (const auto& c : kListings) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(UnicodeFun(c.in), c.out);
  }
}

// Every unit code page 936 holds comes back from its code unchanged: the byte reinterpretations
// below give code-page text back only because of it.
TEST(CodeListing, EveryCodePageUnitComesBackFromItsCode) {
  int held = 0;
  for (std::uint32_t u = 0; u < 0x10000; ++u) {
    const auto unit = static_cast<char16_t>(u);
    if (!IsInCodePage(unit))
      continue;
    ++held;
    std::u16string back;
    AppendAnsiCodeChars(back, AnsiCodeOfUnit(unit));
    ASSERT_EQ(back, std::u16string(1, unit)) << std::hex << u;
  }
  EXPECT_GT(held, 21000);
}

const Case kAsAnsi[] = {
    {u"中", u"-N"},
    {u"中文", u"-N噀"},
    {u"ABC", u"A\0B\0C\0"sv}, // the window shows A
    {u"中A文", u"-NA\0噀"sv}, // the window shows -NA
    {u"", u""},
    {u"\u7F81", u"\uFFFD\x7F"}, // 81 7F: a lead byte with a trail that fits nothing
};

TEST(CodeListing, UnicodeBytesAsAnsiReadsUtf16LeBytesAsCodePage936) {
  for (const auto& c : kAsAnsi) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(UnicodeBytesAsAnsi(c.in), c.out);
  }
}

const Case kAsUnicode[] = {
    {u"-N", u"中"},   {u"-N噀", u"中文"}, {u"", u""},
    {u"A", u"A"}, // the odd byte keeps its place with a zero high byte
    {u"-NA", u"中A"}, {u"ก", u"?"},       {u"中", u"\uD0D6"},
};

TEST(CodeListing, AnsiBytesAsUnicodeReadsBytePairsAsUnits) {
  for (const auto& c : kAsUnicode) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(AnsiBytesAsUnicode(c.in), c.out);
  }
}

// The regression the odd byte once caused: the last character's byte vanished.
TEST(CodeListing, OddByteIsKeptNotDropped) {
  EXPECT_EQ(AnsiBytesAsUnicode(u"中文A"), u"\uD0D6\uC4CE\u0041");
  EXPECT_EQ(UnicodeBytesAsAnsi(AnsiBytesAsUnicode(u"中A")), u"中A\0"sv);
}

TEST(CodeListing, VbUnicodeThenVbFormUnicodeGivesGb2312TextBack) {
  // Hanzi only: the UTF-16LE bytes pair up as the code page reads them whenever no byte is
  // left without a partner, which the generator cannot promise; count how often it holds.
  std::mt19937 random(936);
  int exact = 0;
  for (int round = 0; round < 300; ++round) {
    const std::u16string text = GenerateGb2312Text(random, random() % 30, TextMix::HanziOnly);
    SCOPED_TRACE(U8(text));
    const std::u16string shown = UnicodeBytesAsAnsi(text);
    if (shown.find(u'\uFFFD') != std::u16string::npos)
      continue;
    EXPECT_EQ(AnsiBytesAsUnicode(shown), text);
    ++exact;
  }
  EXPECT_GT(exact, 30);
  EXPECT_EQ(AnsiBytesAsUnicode(UnicodeBytesAsAnsi(u"中文")), u"中文");
}

TEST(CodeListing, VbFormUnicodeThenVbUnicodeGivesCodePageTextBack) {
  std::mt19937 random(2052);
  for (int round = 0; round < 300; ++round) {
    const std::u16string text =
        GenerateGb2312Text(random, random() % (round % 10 ? 30 : 6000), TextMix::WithAscii);
    SCOPED_TRACE(round);
    const std::u16string back = UnicodeBytesAsAnsi(AnsiBytesAsUnicode(text));
    // An odd byte count comes back with the zero high byte of the last unit as U+0000.
    const bool odd = ToAnsiBytes(text).size() % 2 == 1;
    EXPECT_EQ(back, odd ? text + u'\0' : text);
    EXPECT_EQ(ApplyTextBoxRule(back), text);
  }
}

TEST(CodeListing, UnicodeFunListingReadsBackAsTheText) {
  std::mt19937 random(5);
  const std::u16string text = GenerateGb2312Text(random, 100000, TextMix::WithAscii);
  const std::u16string listing = UnicodeFun(text);
  ASSERT_EQ(listing.size(), text.size() * 5);
  for (std::size_t i = 0; i < text.size(); i += 997) {
    char16_t unit = 0;
    for (int k = 0; k < 4; ++k)
      unit = static_cast<char16_t>(unit << 4 | HexDigitValue(listing[5 * i + k]).value());
    EXPECT_EQ(unit, text[i]) << i;
    EXPECT_EQ(listing[5 * i + 4], u',');
  }
}

TEST(CodeListing, HandlesTextFarPastTheOldSixteenBitLimits) {
  std::mt19937 random(100000);
  const std::u16string text = GenerateGb2312Text(random, 100000, TextMix::HanziOnly);
  EXPECT_EQ(UnicodeFun(text).size(), 500000u);
  EXPECT_EQ(UnicodeBytesAsAnsi(AnsiBytesAsUnicode(text)), text);
}

} // namespace
} // namespace kelvaro
