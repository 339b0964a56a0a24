#include "codec/chinese/amount.h"
#include "registry/operations.h"
#include "support/text.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace kelvaro {
namespace {

using testing::U16;
using testing::U8;
using testing::Unescape;

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
    {"", ErrorCode::NotANumber},
    {"   ", ErrorCode::NotANumber},
    {".", ErrorCode::NotANumber},
    {"-", ErrorCode::NotANumber},
    {"1.2.3", ErrorCode::NotANumber},
    {"1 000", ErrorCode::NotANumber},
    {"- 5", ErrorCode::NotANumber},
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

// Amounts as people paste them from spreadsheets and receipts are read as their plain number.
constexpr Case kWrittenAmounts[] = {
    {"1,234.56", "壹仟贰佰叁拾肆圆伍角陆分"},
    {"1,000", "壹仟圆整"},
    {"12,345,678", "壹仟贰佰叁拾肆万伍仟陆佰柒拾捌圆整"},
    {"999,999,999,999.99", "玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖圆玖角玖分"},
    {"¥12.5", "壹拾贰圆伍角"},
    {"￥12.5", "壹拾贰圆伍角"},
    {"12.5元", "壹拾贰圆伍角"},
    {"12圆", "壹拾贰圆整"},
    {"￥1,234元", "壹仟贰佰叁拾肆圆整"},
    {"１２．５", "壹拾贰圆伍角"},
    {"１２", "壹拾贰圆整"},
    {"－５", "(负数)伍圆整"},
    {"＋５", "伍圆整"},
    {"-¥1,234.50", "(负数)壹仟贰佰叁拾肆圆伍角"},
    {"12.5\n", "壹拾贰圆伍角"},
    {"12.5\r\n", "壹拾贰圆伍角"},
    {"\r\n  12.5 \t\n", "壹拾贰圆伍角"},
    {"\u300012.5\u3000", "壹拾贰圆伍角"},
    {"¥0", " "},
    {"0,000.00", " "},
};

TEST(Amount, ReadsAmountsAsPeopleWriteThem) {
  for (const Case& c : kWrittenAmounts) {
    SCOPED_TRACE(c.in);
    const auto words = AmountToCapitals(Unescape(c.in));
    ASSERT_TRUE(words);
    EXPECT_EQ(U8(*words), c.out);
  }
}

constexpr Refusal kWrittenRefusals[] = {
    {"1,23", ErrorCode::NotANumber},
    {"1234,567", ErrorCode::NotANumber},
    {",123", ErrorCode::NotANumber},
    {"1,,234", ErrorCode::NotANumber},
    {"1,234,", ErrorCode::NotANumber},
    {"1,2345", ErrorCode::NotANumber},
    {"12.345,6", ErrorCode::NotANumber},
    {"1,234.5,6", ErrorCode::NotANumber},
    {"¥", ErrorCode::NotANumber},
    {"元", ErrorCode::NotANumber},
    {"¥-5", ErrorCode::NotANumber},
    {"¥ 5", ErrorCode::NotANumber},
    {"5元元", ErrorCode::NotANumber},
    {"元5", ErrorCode::NotANumber},
    {"$5", ErrorCode::NotANumber},
    {"12.5\n3", ErrorCode::NotANumber},
    {"1\n000", ErrorCode::NotANumber},
    {"１２，３４５", ErrorCode::NotANumber},
    {"1,000,000,000,000", ErrorCode::OutOfRange},
    {"\n１２３４５６７８９０１２３", ErrorCode::OutOfRange},
};

TEST(Amount, RefusesWhatPeopleDoNotWrite) {
  for (const Refusal& r : kWrittenRefusals) {
    SCOPED_TRACE(r.in);
    const auto words = AmountToCapitals(Unescape(r.in));
    ASSERT_FALSE(words);
    EXPECT_EQ(words.error().code, r.code);
  }
  EXPECT_EQ(AmountToCapitals(u"\r\n 1000000000000").error().position, 3u);
}

// ---- capitals back to digits ----------------------------------------------------------------

constexpr Case kNumbers[] = {
    {"壹拾贰圆叁角肆分", "12.34"},
    {"壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖圆整", "123456789"},
    {"(负数)伍圆整", "-5"},
    {"壹圆零伍分", "1.05"},
    {"伍角", "0.5"},
    {"壹圆整", "1"},
    {"壹拾贰圆零", "12"},
    {"壹圆伍角零分", "1.50"},
    {"壹拾贰圆零零分", "12.00"},
    {"贰拾圆壹角零分", "20.10"},
    {"零伍分", "0.05"},
    {"零零分", "0.00"},
    {"伍圆", "5"},
    {"壹亿圆整", "100000000"},
    {"壹亿零壹圆整", "100000001"},
    {"壹亿零壹万圆整", "100010000"},
    {"壹亿零壹佰万圆整", "101000000"},
    {"壹亿壹仟圆整", "100001000"},
    {"壹仟万零壹佰圆整", "10000100"},
    {"壹拾壹万零壹圆整", "110001"},
    {"玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖圆玖角玖分", "999999999999.99"},
    {"(负数)壹亿圆壹角", "-100000000.1"},
    // 元 for 圆, 正 for 整, 人民币, blanks and line breaks, everyday numerals
    {"壹拾贰元整", "12"},
    {"壹拾贰圆正", "12"},
    {"人民币壹拾贰圆整", "12"},
    {"  人民币 壹 拾 贰 圆\r\n整 ", "12"},
    {"（负数）人民币伍角", "-0.5"},
    {"负五元", "-5"},
    {"十二元", "12"},
    {"二十元", "20"},
    {"一百零五元", "105"},
    {"两千元", "2000"},
    {"一百五十元五角", "150.5"},
    {"一百五", "150"},
    {"三万五", "35000"},
    {"一万〇五元", "10005"},
    {"十元", "10"},
    {"壹圆伍角整", "1.5"},
    {"(负数)零圆", "0"},
};

TEST(Amount, CapitalsToNumber) {
  for (const Case& c : kNumbers) {
    SCOPED_TRACE(c.in);
    const auto number = CapitalsToNumber(Unescape(c.in));
    ASSERT_TRUE(number) << number.error().position;
    EXPECT_EQ(U8(*number), c.out);
  }
}

struct Misreading {
  const char* in;
  std::size_t position;
};

constexpr Misreading kNoAmounts[] = {
    {"", 0},         {"   ", 3},        {"abc", 0},        {"12.34", 0},  {"圆整", 0},
    {"人民币", 3},   {"(负数)", 4},     {"壹壹圆", 1},     {"伍零圆", 1}, {"壹佰壹仟圆", 3},
    {"壹拾拾圆", 2}, {"壹万壹万圆", 3}, {"壹万壹亿圆", 3}, {"亿圆", 0},   {"壹亿万圆", 2},
    {"伍角伍角", 3}, {"伍分伍角", 3},   {"壹拾伍角", 3},   {"壹圆伍", 3}, {"壹圆整伍角", 3},
    {"壹圆壹拾", 3}, {"角", 0},         {"壹圆圆", 2},     {"佰圆", 0},   {"壹圆x", 2},
};

TEST(Amount, RefusesWhatIsNoAmountInWords) {
  for (const Misreading& m : kNoAmounts) {
    SCOPED_TRACE(m.in);
    const auto number = CapitalsToNumber(U16(m.in));
    ASSERT_FALSE(number) << U8(*number);
    EXPECT_EQ(number.error().code, ErrorCode::NotAnAmount);
    EXPECT_EQ(number.error().position, m.position);
  }
}

// Any string of the words' characters either is refused or reads as a plain decimal number with
// at most two decimals.
TEST(Amount, CapitalsToNumberGivesPlainNumbersOrRefuses) {
  const std::u16string pool =
      u"零〇壹一贰两叁肆伍陆柒捌玖九拾十佰百仟千万亿圆元角分整正负(负数) 人民币x";
  std::mt19937 random(77);
  std::size_t read = 0;
  for (int round = 0; round < 100000; ++round) {
    std::u16string text;
    const std::size_t length = 1 + random() % 12;
    for (std::size_t i = 0; i < length; ++i)
      text.push_back(pool[random() % pool.size()]);
    const auto number = CapitalsToNumber(text);
    if (!number) {
      ASSERT_EQ(number.error().code, ErrorCode::NotAnAmount);
      ASSERT_LE(number.error().position, text.size());
      continue;
    }
    ++read;
    const std::string n = U8(*number);
    const std::size_t start = n.front() == '-' ? 1 : 0;
    const std::size_t point = n.find('.');
    const std::size_t integerEnd = point == std::string::npos ? n.size() : point;
    ASSERT_GT(integerEnd, start) << U8(text);
    ASSERT_LE(integerEnd - start, 12u) << U8(text);
    ASSERT_EQ(n.find_first_not_of("0123456789", start), point) << U8(text) << " " << n;
    if (point != std::string::npos) {
      ASSERT_TRUE(n.size() - point - 1 == 1 || n.size() - point - 1 == 2) << n;
      ASSERT_EQ(n.find_first_not_of("0123456789", point + 1), std::string::npos) << n;
    }
  }
  EXPECT_GT(read, 1000u);
}

// For every amount x other than zero with up to twelve integer digits and up to two decimals,
// CapitalsToNumber(AmountToCapitals(x)) is x, written with the decimals the words hold: a 角 one,
// a 分 two (12.0 gives 壹拾贰圆零 and 12; -1.50 gives (负数)壹圆伍角 and -1.5).
std::string ExpectedNumber(bool negative, std::string integer, std::string fraction) {
  if (negative) {
    while (!fraction.empty() && fraction.back() == '0')
      fraction.pop_back();
  }
  const std::size_t firstNonZero = integer.find_first_not_of('0');
  integer = firstNonZero == std::string::npos ? "0" : integer.substr(firstNonZero);
  std::size_t decimals = 0;
  if (fraction.size() >= 2)
    decimals = 2;
  else if (fraction.size() == 1 && fraction[0] != '0')
    decimals = 1;
  std::string out = negative ? "-" : "";
  out += integer;
  if (decimals > 0) {
    out.push_back('.');
    out.append(fraction, 0, decimals);
  }
  return out;
}

TEST(Amount, CapitalsReadBackToEveryAmount) {
  std::mt19937_64 random(2026);
  std::vector<std::tuple<bool, std::string, std::string, bool>>
      amounts; // sign, integer, fraction, point
  for (const char* integer :
       {"100000000", "100000001", "100010000", "101000000", "100001000", "110001", "10000100",
        "10001000", "1000000000", "100000000000", "100100100100", "999999999999", "10", "1", "0"}) {
    for (const char* fraction : {"", "0", "5", "05", "50", "00", "10", "99"}) {
      for (const bool negative : {false, true})
        amounts.emplace_back(negative, integer, fraction, *fraction != '\0');
    }
  }
  for (int i = 0; i < 200000; ++i) {
    const int integerDigits = static_cast<int>(random() % 13);
    const int zeroChance = static_cast<int>(random() % 4); // many zeros make the 万 and 亿 cases
    std::string integer;
    for (int d = 0; d < integerDigits; ++d)
      integer.push_back(static_cast<int>(random() % 4) < zeroChance
                            ? '0'
                            : static_cast<char>('0' + random() % 10));
    std::string fraction;
    const int fractionDigits = static_cast<int>(random() % 3);
    for (int d = 0; d < fractionDigits; ++d)
      fraction.push_back(static_cast<char>('0' + random() % 10));
    amounts.emplace_back(random() % 3 == 0, integer, fraction,
                         fractionDigits > 0 || random() % 5 == 0);
  }
  std::size_t checked = 0;
  for (const auto& [negative, integer, fraction, point] : amounts) {
    const std::string text = (negative ? "-" : "") + integer + (point ? "." : "") + fraction;
    if (integer.find_first_not_of('0') == std::string::npos &&
        fraction.find_first_not_of('0') == std::string::npos)
      continue; // zero: one space, no amount
    if (integer.empty() && !point)
      continue;
    const auto words = AmountToCapitals(U16(text));
    ASSERT_TRUE(words) << text;
    const auto number = CapitalsToNumber(*words);
    ASSERT_TRUE(number) << text << " " << U8(*words) << " at " << number.error().position;
    ASSERT_EQ(U8(*number), ExpectedNumber(negative, integer, fraction))
        << text << " " << U8(*words);
    ++checked;
  }
  EXPECT_GT(checked, 150000u);
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
