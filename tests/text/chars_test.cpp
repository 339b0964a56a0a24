#include "support/text.h"
#include "text/chars.h"
#include "text/numbers.h"

#include <gtest/gtest.h>

namespace kelvaro {
namespace {

using testing::U8;

TEST(Chars, CodesOfTheFirstCharacter) {
  EXPECT_EQ(AnsiCode(u"A").value(), 65);
  EXPECT_EQ(AnsiCode(u"中文").value(), -10544);
  EXPECT_EQ(AnsiCode(u"ก").value(), 63);
  EXPECT_EQ(AnsiCode(u"€").value(), 128);
  EXPECT_EQ(WideCode(u"中").value(), 20013);
  EXPECT_EQ(WideCode(u"\uFF21").value(), -223);
  EXPECT_EQ(ByteCode(u"中").value(), 0x2D);
  EXPECT_EQ(ByteCode(std::string_view("\xD6\xD0")).value(), 0xD6);
}

TEST(Chars, InvalidCallsAreErrorsNotCrashes) {
  EXPECT_EQ(AnsiCode(u"").error().code, ErrorCode::EmptyText);
  EXPECT_EQ(WideCode(u"").error().code, ErrorCode::EmptyText);
  EXPECT_EQ(ByteCode(u"").error().code, ErrorCode::EmptyText);
  EXPECT_EQ(ByteCode(std::string_view()).error().code, ErrorCode::EmptyText);
  for (const std::int32_t code : {-32769, 65536, 1 << 30}) {
    EXPECT_EQ(CharFromAnsiCode(code).error().code, ErrorCode::CodeOutOfRange) << code;
    EXPECT_EQ(CharFromWideCode(code).error().code, ErrorCode::CodeOutOfRange) << code;
  }
}

TEST(Chars, CharFromAnsiCodeDecodesBothBytesTogether) {
  struct Case {
    std::int32_t code;
    std::u16string_view text;
  };
  const Case cases[] = {{-10544, u"中"},   {0xD6D0, u"中"},
                        {0x2020, u"  "},   {0x4142, u"AB"},
                        {65, u"A"},        {0x80, u"€"},
                        {0xD6, u"\uFFFD"}, {-32768, std::u16string_view(u"€\0", 2)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(CharFromAnsiCode(c.code).value(), c.text);
  }
  EXPECT_EQ(CharFromWideCode(-1).value(), u"\uFFFF");
  EXPECT_EQ(CharFromWideCode(0x4E2D).value(), u"中");
}

TEST(Chars, HexDigitsAtEachWidth) {
  struct Case {
    std::int64_t value;
    int width;
    std::u16string_view digits;
  };
  const Case cases[] = {{20013, 16, u"4E2D"}, {-10544, 16, u"D6D0"}, {-10544, 32, u"FFFFD6D0"},
                        {0, 16, u"0"},        {10, 8, u"A"},         {-1, 8, u"FF"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(HexDigits(c.value, c.width), c.digits);
  }
}

TEST(Chars, ToFullWidthMapsPrintableAsciiAndSpace) {
  EXPECT_EQ(ToFullWidth(u"A b!~"), u"Ａ\u3000ｂ！～");
  EXPECT_EQ(ToFullWidth(u"中\r\n¥"), u"中\r\n￥");
}

TEST(Numbers, ParseNumberReadsTheLeadingNumber) {
  struct Case {
    std::u16string_view text;
    double value;
  };
  const Case cases[] = {{u"12.5abc", 12.5}, {u"  -3", -3},   {u"abc", 0},   {u"", 0},
                        {u"1e3x", 1000},    {u"&HFFFF", -1}, {u"&h10", 16}, {u"&H10000", 65536},
                        {u".5", 0.5},       {u"+7", 7},      {u"5.", 5},    {u"-", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(U8(c.text));
    EXPECT_DOUBLE_EQ(ParseNumber(c.text), c.value);
  }
}

TEST(Numbers, ToIntegerReadsTheWholeTextOrFails) {
  struct Case {
    std::u16string_view text;
    std::int32_t value;
  };
  const Case cases[] = {{u" 42 ", 42},
                        {u"2.5", 2},
                        {u"3.5", 4},
                        {u"-2.5", -2},
                        {u"&HD6", 214},
                        {u"&Hd6d0", -10544},
                        {u"&H7FFFFFFF", 2147483647},
                        {u"&HFFFFFFFF", -1},
                        {u"1e2", 100}};
  for (const auto& c : cases) {
    SCOPED_TRACE(U8(c.text));
    EXPECT_EQ(ToInteger(c.text).value(), c.value);
  }
  for (const std::u16string_view bad :
       {u"", u"  ", u"abc", u"&H", u"&HG1", u"12x", u"&H123456789", u"1 2", u"%41"}) {
    SCOPED_TRACE(U8(bad));
    EXPECT_EQ(ToInteger(bad).error().code, ErrorCode::NotANumber);
    EXPECT_FALSE(IsNumber(bad));
  }
  EXPECT_EQ(ToInteger(u"3000000000").error().code, ErrorCode::OutOfRange);
  EXPECT_TRUE(IsNumber(u"3000000000"));
  EXPECT_TRUE(IsNumber(u" -0.5 "));
}

} // namespace
} // namespace kelvaro
