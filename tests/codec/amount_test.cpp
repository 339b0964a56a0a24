#include "codec/chinese/amount.h"
#include "registry/operations.h"
#include "support/text.h"

#include <gtest/gtest.h>
#include <string>

namespace kelvaro {
namespace {

using testing::U16;
using testing::U8;

struct Case {
  const char* in;
  const char* out;
};

constexpr Case kAmounts[] = {
    // worked results of up to eight integer digits
    {"0", " "},
    {"5", "伍圆整"},
    {"12", "壹拾贰圆整"},
    {"100", "壹佰圆整"},
    {"1001", "壹仟零壹圆整"},
    {"10010", "壹万零壹拾圆整"},
    {"100000", "壹拾万圆整"},
    {"10000100", "壹仟万零壹佰圆整"},
    {"10001000", "壹仟万壹仟圆整"},
    {"12345678", "壹仟贰佰叁拾肆万伍仟陆佰柒拾捌圆整"},
    {"12.34", "壹拾贰圆叁角肆分"},
    {"12.5", "壹拾贰圆伍角"},
    {"20.10", "贰拾圆壹角零分"},
    {"12.00", "壹拾贰圆零零分"},
    {"0.5", "伍角"},
    {"0.05", "零伍分"},
    {".5", "伍角"},
    {"5.", "伍圆"},
    {"1.999", "壹圆玖角玖分"},
    {"-5", "(负数)伍圆整"},
    {"-0.5", "(负数)伍角"},
    {"0.00", " "},
    {"12", "壹拾贰圆整"},
    {"0.001", "零零分"},
    {"-1.50", "(负数)壹圆伍角"},
    {"1.50", "壹圆伍角零分"},
    {"  12.34  ", "壹拾贰圆叁角肆分"},
    {"\t7\t", "柒圆整"},
    // nine to twelve integer digits, and leading zeros
    {"123456789", "壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖圆整"},
    {"100000000", "壹亿圆整"},
    {"100000001", "壹亿零壹圆整"},
    {"100010000", "壹亿零壹万圆整"},
    {"101000000", "壹亿零壹佰万圆整"},
    {"100001000", "壹亿壹仟圆整"},
    {"01234", "壹仟贰佰叁拾肆圆整"},
    {"999999999999.99", "玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖圆玖角玖分"},
    {"000000000000000001", "壹圆整"},
    {"-000.0", " "},
    {"+5", "伍圆整"},
    {"-5.", "(负数)伍圆整"},
    {"-100000000.10", "(负数)壹亿圆壹角"},
    {"110001", "壹拾壹万零壹圆整"},
};

TEST(Amount, WritesCapitalNumerals) {
  for (const Case& c : kAmounts) {
    SCOPED_TRACE(c.in);
    const auto words = AmountToCapitals(U16(c.in));
    ASSERT_TRUE(words);
    EXPECT_EQ(U8(*words), c.out);
  }
}

// The reading of eight integer places dropped the leading 1 of nine-digit amounts.
TEST(Amount, NineDigitAmountKeepsItsLeadingDigit) {
  EXPECT_EQ(U8(*AmountToCapitals(u"123456789")), "壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖圆整");
}

// A leading zero used to fill the 万 group with 零 and leave a stray 万.
TEST(Amount, LeadingZeroGivesNoStrayTenThousand) {
  EXPECT_EQ(U8(*AmountToCapitals(u"01234")), "壹仟贰佰叁拾肆圆整");
}

struct Refusal {
  const char* in;
  ErrorCode code;
};

constexpr Refusal kRefusals[] = {
    {"abc", ErrorCode::NotANumber},
    {"1e5", ErrorCode::NotANumber},
    {"&H10", ErrorCode::NotANumber},
    {"1,000", ErrorCode::NotANumber},
    {"", ErrorCode::NotANumber},
    {"   ", ErrorCode::NotANumber},
    {".", ErrorCode::NotANumber},
    {"-", ErrorCode::NotANumber},
    {"1.2.3", ErrorCode::NotANumber},
    {"1 000", ErrorCode::NotANumber},
    {"- 5", ErrorCode::NotANumber},
    {"１２", ErrorCode::NotANumber},
    {"1000000000000", ErrorCode::OutOfRange},
    {"-1000000000000.5", ErrorCode::OutOfRange},
};

TEST(Amount, RefusesWhatIsNoPlainNumberOrTooLarge) {
  for (const Refusal& r : kRefusals) {
    SCOPED_TRACE(r.in);
    const auto words = AmountToCapitals(U16(r.in));
    ASSERT_FALSE(words);
    EXPECT_EQ(words.error().code, r.code);
  }
}

TEST(Amount, RefusalEmptiesTheBoxAndShowsTheMessage) {
  const Case kMessages[] = {{"abc", "错误：进行数字大小转换的输入参数只能为数字！"},
                            {"1000000000000", "错误：金额超出范围，整数部分最多十二位！"}};
  for (const Case& c : kMessages) {
    SCOPED_TRACE(c.in);
    const Outcome outcome = RunOperation(*FindOperation("amount"), U16(c.in));
    ASSERT_TRUE(outcome.text);
    EXPECT_EQ(*outcome.text, u"");
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(U8(outcome.message->text), c.out);
    EXPECT_EQ(outcome.message->style, MessageStyle::Error);
    EXPECT_EQ(outcome.message->title, u"系统");
  }
}

TEST(Amount, CapitalDigits) {
  EXPECT_EQ(U8(std::u16string(CapitalDigit(0))), "零");
  EXPECT_EQ(U8(std::u16string(CapitalDigit(9))), "玖");
  EXPECT_TRUE(CapitalDigit(10).empty());
  EXPECT_TRUE(CapitalDigit(-1).empty());
}

// Every amount of up to twelve digits reads back to its digits: the numerals and units in order,
// 零 only between non-zero digits.
TEST(Amount, WordsReadBackToTheNumber) {
  auto readBack = [](std::u16string_view words) {
    const std::u16string digits = u"零壹贰叁肆伍陆柒捌玖";
    long long total = 0, group = 0, pending = 0;
    for (char16_t c : words) {
      if (const auto d = digits.find(c); d != std::u16string::npos) {
        pending = static_cast<long long>(d);
      } else if (c == u'拾') {
        group += pending * 10;
        pending = 0;
      } else if (c == u'佰') {
        group += pending * 100;
        pending = 0;
      } else if (c == u'仟') {
        group += pending * 1000;
        pending = 0;
      } else if (c == u'万') {
        total += (group + pending) * 10000;
        group = pending = 0;
      } else if (c == u'亿') {
        total += (group + pending) * 100000000;
        group = pending = 0;
      } else if (c == u'圆')
        break;
    }
    return total + group + pending;
  };
  std::uint64_t state = 12345;
  for (int i = 0; i < 20000; ++i) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    const int length = 1 + static_cast<int>(state >> 60) % 12;
    long long value = static_cast<long long>((state >> 8) % 1000000000000ULL);
    for (int k = length; k < 12; ++k)
      value /= 10;
    if (value == 0)
      continue;
    const std::u16string text = U16(std::to_string(value));
    const auto words = AmountToCapitals(text);
    ASSERT_TRUE(words);
    ASSERT_EQ(readBack(*words), value) << U8(*words);
    ASSERT_EQ(words->find(u"零零"), std::u16string::npos) << U8(*words);
  }
}

} // namespace
} // namespace kelvaro
