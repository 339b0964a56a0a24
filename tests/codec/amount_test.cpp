#include "codec/chinese/amount.h"
#include "registry/operations.h"
#include "support/generate.h"
#include "support/text.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <ostream>
#include <random>
#include <string>
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
    {"0", "零圆整"},
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
    {"20.10", "贰拾圆壹角"},
    {"12.00", "壹拾贰圆整"},
    {"0.5", "伍角"},
    {"0.05", "零伍分"},
    {".5", "伍角"},
    {"5.", "伍圆整"},
    {"1.999", "壹圆玖角玖分"},
    {"-5", "(负数)伍圆整"},
    {"-0.5", "(负数)伍角"},
    {"0.00", "零圆整"},
    {"12", "壹拾贰圆整"},
    {"0.001", "零圆整"},
    {"-1.50", "(负数)壹圆伍角"},
    {"1.50", "壹圆伍角"},
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
    {"-000.0", "零圆整"},
    {"+5", "伍圆整"},
    {"-5.", "(负数)伍圆整"},
    {"-100000000.10", "(负数)壹亿圆壹角"},
    {"110001", "壹拾壹万零壹圆整"},
    // the rules for bills: 整 where there is neither 角 nor 分, nothing after 角, no 零分
    {"12.0", "壹拾贰圆整"},
    {"12.", "壹拾贰圆整"},
    {"0.50", "伍角"},
    {"-0", "零圆整"},
    {"-0.001", "零圆整"},
    {"12.05", "壹拾贰圆零伍分"},
    {"10.30", "壹拾圆叁角"},
    {"100.07", "壹佰圆零柒分"},
    // thirteen to sixteen integer digits: 万亿
    {"1000100000000", "壹万零壹亿圆整"},
    {"1000000000000", "壹万亿圆整"},
    {"1000000000001", "壹万亿零壹圆整"},
    {"1000000010000", "壹万亿零壹万圆整"},
    {"1234567890123456", "壹仟贰佰叁拾肆万伍仟陆佰柒拾捌亿玖仟零壹拾贰万叁仟肆佰伍拾陆圆整"},
    {"9999999999999999.99",
     "玖仟玖佰玖拾玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖圆玖角玖分"},
    {"-1000100000000.5", "(负数)壹万零壹亿圆伍角"},
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
    {"10000000000000000", ErrorCode::OutOfRange},
    {"-10000000000000000.5", ErrorCode::OutOfRange},
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
    {"¥0", "零圆整"},
    {"0,000.00", "零圆整"},
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
    {"10,000,000,000,000,000", ErrorCode::OutOfRange},
    {"\n１２３４５６７８９０１２３４５６７", ErrorCode::OutOfRange},
};

TEST(Amount, RefusesWhatPeopleDoNotWrite) {
  for (const Refusal& r : kWrittenRefusals) {
    SCOPED_TRACE(r.in);
    const auto words = AmountToCapitals(Unescape(r.in));
    ASSERT_FALSE(words);
    EXPECT_EQ(words.error().code, r.code);
  }
  EXPECT_EQ(AmountToCapitals(u"\r\n 10000000000000000").error().position, 3u);
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
    {"零圆整", "0"},
    // 十 after 零, 万 before 亿, sixteen digits
    {"一千零十", "1010"},
    {"一亿零十万零一百", "100100100"},
    {"壹仟零拾圆", "1010"},
    {"壹万壹亿圆", "1000100000000"},
    {"壹万亿圆整", "1000000000000"},
    {"壹万零壹亿圆整", "1000100000000"},
    {"壹仟贰佰叁拾肆万伍仟陆佰柒拾捌亿玖仟零壹拾贰万叁仟肆佰伍拾陆圆整", "1234567890123456"},
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
    {"壹拾拾圆", 2}, {"壹万壹万圆", 3}, {"壹亿壹亿圆", 3}, {"亿圆", 0},   {"壹亿万圆", 2},
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
    ASSERT_LE(integerEnd - start, 16u) << U8(text);
    ASSERT_EQ(n.find_first_not_of("0123456789", start), point) << U8(text) << " " << n;
    if (point != std::string::npos) {
      ASSERT_TRUE(n.size() - point - 1 == 1 || n.size() - point - 1 == 2) << n;
      ASSERT_EQ(n.find_first_not_of("0123456789", point + 1), std::string::npos) << n;
    }
  }
  EXPECT_GT(read, 1000u);
}

// An amount as the number it stands for, to the 分: the words keep nothing finer.
struct Cents {
  bool negative = false;
  std::string integer; // without leading zeros, "0" for none
  int cents = 0;
  bool operator==(const Cents&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Cents& c) {
  return out << (c.negative ? "-" : "") << c.integer << " and " << c.cents << " fen";
}

Cents CentsOf(const std::string& number) {
  Cents c;
  std::size_t i = 0;
  if (i < number.size() && number[i] == '-') {
    c.negative = true;
    ++i;
  }
  const std::size_t point = std::min(number.find('.'), number.size());
  const std::size_t firstNonZero = number.find_first_not_of('0', i);
  c.integer = firstNonZero >= point ? "0" : number.substr(firstNonZero, point - firstNonZero);
  for (std::size_t d = point + 1, weight = 10; d < number.size() && weight > 0; ++d, weight /= 10)
    c.cents += (number[d] - '0') * static_cast<int>(weight);
  c.negative = c.negative && (c.integer != "0" || c.cents != 0); // no sign on a zero
  return c;
}

// The round trip: the words of x read back, compared as numbers to the 分, give x.
void ExpectRoundTrip(const std::string& text) {
  const auto words = AmountToCapitals(U16(text));
  ASSERT_TRUE(words) << text;
  const auto number = CapitalsToNumber(*words);
  ASSERT_TRUE(number) << text << " " << U8(*words) << " at " << number.error().position;
  ASSERT_EQ(CentsOf(U8(*number)), CentsOf(text)) << text << " " << U8(*words);
}

// Amounts below 10^16 with up to two decimals, many of them with runs of zeros (the 万, 亿 and
// 万亿 cases), and the shapes around the groups' edges.
TEST(Amount, CapitalsReadBackToEveryAmount) {
  constexpr const char* kIntegers[] = {"100000000",
                                       "100000001",
                                       "100010000",
                                       "101000000",
                                       "100001000",
                                       "110001",
                                       "10000100",
                                       "10001000",
                                       "1000000000",
                                       "100000000000",
                                       "100100100100",
                                       "999999999999",
                                       "10",
                                       "1",
                                       "0",
                                       "1000000000000",
                                       "1000100000000",
                                       "1000000000001",
                                       "1000000010000",
                                       "9999999999999999",
                                       "1000000000000000",
                                       "0000000000000001"};
  std::vector<std::string> amounts;
  for (const char* integer : kIntegers) {
    for (const char* fraction : {"", ".", ".0", ".5", ".05", ".50", ".00", ".10", ".99", ".001"})
      for (const char* sign : {"", "-"})
        amounts.push_back(std::string(sign) + integer + fraction);
  }
  std::mt19937_64 random(2026);
  const int rounds = testing::PropertyRounds(20000);
  for (int i = 0; i < rounds; ++i) {
    const int integerDigits = static_cast<int>(random() % 17);
    const int zeroChance = static_cast<int>(random() % 4);
    std::string text = random() % 3 == 0 ? "-" : "";
    for (int d = 0; d < integerDigits; ++d)
      text.push_back(static_cast<int>(random() % 4) < zeroChance
                         ? '0'
                         : static_cast<char>('0' + random() % 10));
    const int fractionDigits = static_cast<int>(random() % 3);
    if (fractionDigits > 0 || integerDigits == 0 || random() % 5 == 0)
      text.push_back('.');
    for (int d = 0; d < fractionDigits || (integerDigits == 0 && d == 0); ++d)
      text.push_back(static_cast<char>('0' + random() % 10));
    amounts.push_back(text);
  }
  for (const std::string& text : amounts)
    ExpectRoundTrip(text);
}

// Every integer below 10^8 and 10^6 random amounts below 10^16 with 角 and 分 read back to
// themselves. The full count takes a minute: KELVARO_PROPERTY_ROUNDS=1000000 (scripts/fuzz
// --properties 1000000) runs it; without it every integer below 10^5 and every 997th above, and
// 10^4 random amounts.
TEST(RoundTripsAmount, IntegersAndAmountsReadBackAsNumbers) {
  const int rounds = testing::PropertyRounds(10000);
  const int stride = rounds >= 1000000 ? 1 : 997;
  for (int n = 0; n < 100000000; n += n < 100000 ? 1 : stride)
    ExpectRoundTrip(std::to_string(n));
  std::mt19937_64 random(1616);
  for (int i = 0; i < rounds; ++i) {
    const std::uint64_t yuan = random() % 10000000000000000ULL;
    const int fen = static_cast<int>(random() % 100);
    ExpectRoundTrip(std::to_string(yuan) + "." + static_cast<char>('0' + fen / 10) +
                    static_cast<char>('0' + fen % 10));
  }
}

TEST(Amount, RefusalEmptiesTheBoxAndShowsTheMessage) {
  const Case kMessages[] = {{"abc", "错误：进行数字大小转换的输入参数只能为数字！"},
                            {"10000000000000000", "错误：金额超出范围，整数部分最多十六位！"}};
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
