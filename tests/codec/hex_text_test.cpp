#include "codec/text-encodings/hex_text.h"
#include "support/generate.h"
#include "support/text.h"
#include "text/codepage.h"

#include <gtest/gtest.h>
#include <random>

namespace kelvaro {
namespace {

using namespace std::string_view_literals;
using testing::GenerateGb2312Text;
using testing::U8;

struct Case {
  std::u16string_view in, out;
};

const Case kEncodes[] = {
    {u"A", u"O41O"},
    {u" ", u"O20O"},
    {u"中", u"D6D0"},
    {u"\r\n", u"ODDO"},
    {u"\t", u"O09O"},
    {u"a中b", u"O61OD6D0O62O"},
    {u"ก", u"O3FO"},
    {u"", u""},
    {u"\r", u"ODDO"},           // a lone CR is a whole line break
    {u"x\ny", u"O78OODDOO79O"}, // a lone LF is a line break too (it used to vanish)
    {u"\n\r\r\n", u"ODDOODDOODDO"},
    {u"\0"sv, u"O00O"},
    {u"€", u"O80O"},
    {u"\U0001F600", u"O3FOO3FO"}, // each half of a surrogate pair is a character the page lacks
    {u"丂", u"8140"},
};

TEST(HexText, TextToHexWritesOneGroupPerCharacter) {
  for (const auto& c : kEncodes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(TextToHex(c.in), c.out);
  }
}

const Case kDecodes[] = {
    {u"O41O", u"A"},
    {u"D6D0", u"中"},
    {u"d6d0", u"中"},
    {u"ODDO", u"\r\n"},
    {u"O61OD6D0O62O", u"a中b"},
    {u"41", u"A"},           // one short group
    {u"O41OD6", u"A"},       // a length of six reads only the first group
    {u"O41OD6D0O4", u"A中"}, // the short third group cannot be read
    {u"o41o", u""},          // a lower-case o is no marker, and not a digit
    {u"", u""},
    {u"O", u""},                       // one character reads no group
    {u"O41OO42OD6", u"AB\uFFFD"},      // ten characters: the tail D6 is read, a lone lead byte
    {u"O41OO42OO43O41", u"ABC"},       // fourteen: 2.5 rounds to 2, the tail is left
    {u"O41OO42OO43OO44O41", u"ABCDA"}, // eighteen: 3.5 rounds to 4, the tail is read
    {u"O0dO", u"\r"},                  // only the marked DD is a line break
    {u"OddO", u"\uFFFD"},              // dd is the byte DD, a lead byte on its own
    {u"O4gOD6D0", u"中"},              // an unreadable group is dropped, the next one read
    {u"4142", u"AB"},                  // two single bytes decoded together
    {u"2020", u"  "},
    {u"0041", u"A"},
    {u"D630", u"\uFFFD0"}, // a lead byte whose trail fits no character
    {u"8140", u"丂"},
    {u"O 1O", u""},
    {u"41 O", u""},
};

TEST(HexText, HexToTextReadsGroupsAndDropsUnreadableOnes) {
  for (const auto& c : kDecodes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(HexToText(c.in), c.out);
  }
}

TEST(HexText, RoundTripKeepsGb2312TextWithCrLfBreaks) {
  std::mt19937 random(16);
  for (int round = 0; round < 300; ++round) {
    const std::u16string text = GenerateGb2312Text(random, random() % (round % 10 ? 60 : 6000));
    SCOPED_TRACE(round);
    EXPECT_EQ(HexToText(TextToHex(text)), text);
  }
}

const Case kLossyRoundTrips[] = {
    {u"a\nb", u"a\r\nb"},
    {u"a\rb", u"a\r\nb"},
    {u"aกb", u"a?b"},
    {u"\n\r\n\r", u"\r\n\r\n\r\n"},
};

// Every line break comes back as CR LF, and characters the code page lacks as "?".
TEST(HexText, RoundTripGivesCrLfLineBreaksAndQuestionMarks) {
  for (const auto& c : kLossyRoundTrips) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(HexToText(TextToHex(c.in)), c.out);
  }
}

TEST(HexText, HandlesTextFarPastTheOldSixteenBitLimits) {
  std::mt19937 random(100000);
  const std::u16string text = GenerateGb2312Text(random, 100000);
  const std::u16string hex = TextToHex(text);
  EXPECT_GT(hex.size(), 32768u * 4);
  EXPECT_EQ(HexToText(hex), text);
}

TEST(HexText, HexToTextNeverFailsOnArbitraryUnits) {
  std::mt19937 random(9);
  const std::u16string_view pool = u"O0123456789ABCDEFabcdefo D\r\n\0中"sv;
  for (int round = 0; round < 1000; ++round) {
    std::u16string junk(random() % 40, u'\0');
    for (char16_t& unit : junk)
      unit = pool[random() % pool.size()];
    const std::u16string text = HexToText(junk);
    EXPECT_LE(text.size(), junk.size() / 2 + 2);
  }
}

} // namespace
} // namespace kelvaro
