#include "codec/chinese/gb_big5.h"
#include "registry/operations.h"
#include "support/text.h"
#include "text/codepage.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace kelvaro {
namespace {

using testing::U16;
using testing::U8;

// The text whose code page 936 bytes are the code's two bytes (how a BIG5 code shows in the box).
std::u16string TextOfCode(std::uint16_t code) {
  const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
  return FromAnsiBytes(std::string_view(bytes, 2));
}

std::string Bytes(std::u16string_view text) { return ToAnsiBytes(text); }

std::string BytesOfCode(std::uint16_t code) {
  return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

struct Row {
  std::uint16_t source, entry;
};

constexpr Row kGBToBig5Rows[] = {
    {0xA1A1, 0x2020}, {0xA1A2, 0xA142}, {0xA1A3, 0xA143}, {0xA1A4, 0xA145}, {0xB0A1, 0xB0DA},
    {0xB9FA, 0xB0EA}, {0xD6D0, 0xA4A4}, {0xF7FE, 0x2020}, {0xA9A5, 0xF9F9},
};
constexpr Row kBig5ToGBRows[] = {
    {0xA140, 0x2020}, {0xA141, 0xA3AC}, {0xA440, 0xD2BB}, {0xA441, 0xD2D2},
    {0xA4A4, 0xD6D0}, {0xB0EA, 0xB9FA}, {0xFEFE, 0x2020}, {0xA144, 0x2020},
};

TEST(GbBig5, TellingRowsGBToBig5) {
  for (const Row& row : kGBToBig5Rows) {
    SCOPED_TRACE(row.source);
    EXPECT_EQ(Bytes(GBToBig5(TextOfCode(row.source))), BytesOfCode(row.entry));
  }
}

TEST(GbBig5, TellingRowsBig5ToGB) {
  for (const Row& row : kBig5ToGBRows) {
    SCOPED_TRACE(row.source);
    EXPECT_EQ(Bytes(Big5ToGB(TextOfCode(row.source))), BytesOfCode(row.entry));
  }
}

struct Case {
  const char* in;
  const char* out;
};

constexpr Case kCharacterPairs[] = {
    // simplified, then the traditional form the GB2312 table gives and the BIG5 table reads back
    {"国", "國"}, {"门", "門"}, {"发", "發"}, {"台", "臺"}, {"为", "為"}, {"后", "後"},
};

TEST(GbBig5, SimplifiedCharactersGetTheirTraditionalBig5Code) {
  for (const Case& c : kCharacterPairs) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(Bytes(GBToBig5(U16(c.in))), ToAnsiBytes(U16(c.out), CodePage::Big5_950));
  }
}

TEST(GbBig5, TraditionalBig5CodesComeBackSimplified) {
  constexpr Case kBack[] = {{"國", "国"}, {"門", "门"}, {"臺", "台"}, {"台", "台"}, {"後", "後"}};
  for (const Case& c : kBack) {
    SCOPED_TRACE(c.in);
    const std::string big5 = ToAnsiBytes(U16(c.in), CodePage::Big5_950);
    EXPECT_EQ(Big5ToGB(FromAnsiBytes(big5)), U16(c.out));
  }
}

constexpr Case kGBToBig5Texts[] = {
    {"", ""},
    {"A中1", "Aい1"},
    {"中国", "い瓣"},
    {"\u3000", "  "},               // filler: two spaces
    {"abc 123\r\n", "abc 123\r\n"}, // ASCII passes
    {"\u4E02", "\uFFFD@"},          // GBK 81 40: the lead byte alone, then '@'
};

TEST(GbBig5, ConvertsTextsGBToBig5) {
  for (const Case& c : kGBToBig5Texts) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(U8(GBToBig5(U16(c.in))), c.out);
  }
}

constexpr Case kBig5ToGBTexts[] = {
    {"", ""},
    {"Aい1", "A中1"},
    {"い瓣", "中国"},
    {"abc\r\n", "abc\r\n"},
};

TEST(GbBig5, ConvertsTextsBig5ToGB) {
  for (const Case& c : kBig5ToGBTexts) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(U8(Big5ToGB(U16(c.in))), c.out);
  }
}

TEST(GbBig5, ScanResyncsOnTheByteAfterOnePassedOnAlone) {
  // 81 B0 is a GBK character outside GB2312. Its lead passes alone; its trail B0 and the lead D6
  // of the following 中 form the GB2312 pair B0D6, and 中's trail D0 is left to pass alone.
  const std::string bytes = "\x81\xB0\xD6\xD0";
  const std::u16string input = FromAnsiBytes(bytes);
  ASSERT_EQ(input.size(), 2u);
  std::u16string expected;
  AppendAnsiCodeChars(expected, 0x81);
  expected += GBToBig5(FromAnsiBytes("\xB0\xD6")); // the pair B0 D6, one table lookup
  AppendAnsiCodeChars(expected, 0xD0);
  EXPECT_EQ(GBToBig5(input), expected);
}

TEST(GbBig5, BytesOutsideGb2312PassOneByOne) {
  // 中 then 丂 is D6 D0 81 40: the 81 is no GB2312 lead and passes alone as U+FFFD, 40 as '@'.
  EXPECT_EQ(U8(GBToBig5(U16("中\u4E02"))), "い\uFFFD@");
}

// GB2312 text made of every character whose table entry is not filler: through BIG5 and back it
// is the same text, apart from the characters whose traditional form GB2312 also holds (后 goes to
// 後 and stays 後).
TEST(GbBig5, Gb2312TextRoundTripsThroughBothTables) {
  std::u16string everything;
  int oneWay = 0;
  for (int lead = 0xA1; lead <= 0xF7; ++lead) {
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      const std::u16string c = TextOfCode(static_cast<std::uint16_t>(lead << 8 | trail));
      const std::u16string big5 = GBToBig5(c);
      if (big5 == u"  ")
        continue;
      if (Big5ToGB(big5) != c) {
        ++oneWay;
        continue;
      }
      everything += c;
    }
  }
  EXPECT_LE(oneWay, 20); // 后/後, 于/於, 征/徵 and a few more pairs GB2312 holds both of
  EXPECT_GT(everything.size(), 6700u);
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    std::u16string text;
    for (int k = 0; k < 200; ++k) {
      if (random() % 5 == 0)
        text += u"ab 12\r\n"[random() % 7];
      else
        text += everything[random() % everything.size()];
    }
    ASSERT_EQ(Big5ToGB(GBToBig5(text)), text) << U8(text);
  }
}

TEST(GbBig5, FillerRowsStayFiller) {
  for (int trail = 0xA1; trail <= 0xFE; ++trail) {
    for (int lead : {0xA7, 0xAA, 0xAF}) {
      EXPECT_EQ(GBToBig5(TextOfCode(static_cast<std::uint16_t>(lead << 8 | trail))), u"  ");
    }
    for (int lead : {0xC7, 0xC8, 0xFA, 0xFE}) {
      EXPECT_EQ(Big5ToGB(TextOfCode(static_cast<std::uint16_t>(lead << 8 | trail))), u"  ");
    }
  }
}

TEST(GbBig5, PairTestsAndPositions) {
  EXPECT_TRUE(IsGBPair(0xA1, 0xA1));
  EXPECT_TRUE(IsGBPair(0xF7, 0xFE));
  EXPECT_FALSE(IsGBPair(0xF8, 0xA1));
  EXPECT_FALSE(IsGBPair(0xB0, 0x40));
  EXPECT_TRUE(IsBig5Pair(0xA1, 0x40));
  EXPECT_TRUE(IsBig5Pair(0xFE, 0xFE));
  EXPECT_FALSE(IsBig5Pair(0xA4, 0x7F));
  EXPECT_FALSE(IsBig5Pair(0xA4, 0xA0));
  EXPECT_FALSE(IsBig5Pair(0xA0, 0xA1));
  EXPECT_EQ(GBIndex(0xF7, 0xFE), kGBToBig5Entries - 1);
  EXPECT_EQ(Big5Index(0xFE, 0xFE), kBig5ToGBEntries - 1);
  EXPECT_EQ(Big5Index(0xA1, 0x7E), 62u);
  EXPECT_EQ(Big5Index(0xA1, 0xA1), 63u);
}

// The tables built into the program hold exactly the entries of their layouts.
TEST(GbBig5, TableFilesHaveTheirSizes) {
  const std::filesystem::path resources =
      std::filesystem::path(KELVARO_CASES_DIR) / "../../resources";
  EXPECT_EQ(std::filesystem::file_size(resources / "gb2312_to_big5.bin"), 16356u);
  EXPECT_EQ(std::filesystem::file_size(resources / "big5_to_gb2312.bin"), 29516u);
}

} // namespace
} // namespace kelvaro
