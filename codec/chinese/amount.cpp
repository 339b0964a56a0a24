#include "codec/chinese/amount.h"

#include "text/numbers.h"

#include <array>

namespace kelvaro {
namespace {

constexpr std::size_t kMaxIntegerDigits = 12;
constexpr std::u16string_view kPlaceUnits[] = {u"", u"拾", u"佰", u"仟"};
constexpr std::u16string_view kGroupUnits[] = {u"", u"万", u"亿"};

struct PlainNumber {
  bool negative = false;
  std::u16string_view integer;  ///< digits before the point, leading zeros removed
  std::u16string_view fraction; ///< digits after the point
  bool hasPoint = false;
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool ReadPlainNumber(std::u16string_view text, PlainNumber& number) {
  text = TrimBlanks(text);
  if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
    number.negative = text.front() == u'-';
    text.remove_prefix(1);
  }
  const std::size_t point = text.find(u'.');
  number.hasPoint = point != std::u16string_view::npos;
  std::u16string_view integer = text.substr(0, point);
  number.fraction = number.hasPoint ? text.substr(point + 1) : std::u16string_view();
  for (const char16_t c : integer) {
    if (!IsDigit(c))
      return false;
  }
  for (const char16_t c : number.fraction) {
    if (!IsDigit(c))
      return false;
  }
  if (integer.empty() && number.fraction.empty())
    return false;
  while (!integer.empty() && integer.front() == u'0')
    integer.remove_prefix(1);
  number.integer = integer;
  return true;
}

bool AllZero(std::u16string_view digits) {
  return digits.find_first_not_of(u'0') == std::u16string_view::npos;
}

// One group of up to four digits, built from the right as a cheque writer reads it: the units
// digit always gives its numeral, a zero above it gives one 零 for a whole run, and a trailing
// 零 is dropped at the end. The highest group of the amount has no zero thousands digit to show.
std::u16string GroupWords(std::u16string_view digits, bool highest) {
  std::u16string words;        // built reversed: units first
  bool startsWithZero = false; // the words so far begin (read left to right) with 零
  for (std::size_t place = 0; place < digits.size(); ++place) {
    const char16_t c = digits[digits.size() - 1 - place];
    std::u16string piece;
    if (place == 0) {
      piece = CapitalDigit(c - u'0');
      startsWithZero = c == u'0';
    } else if (c != u'0') {
      piece = std::u16string(CapitalDigit(c - u'0')) + std::u16string(kPlaceUnits[place]);
      startsWithZero = false;
    } else if (!(highest && place == 3) && !startsWithZero) {
      piece = u"零";
      startsWithZero = true;
    }
    words.insert(0, piece); // four places at most: no cost worth a cleverer build
  }
  if (!words.empty() && words.back() == u'零')
    words.pop_back();
  return words;
}

std::u16string IntegerWords(std::u16string_view digits) {
  std::array<std::u16string_view, 3> groups; // units, 万, 亿
  std::size_t groupCount = 0;
  while (!digits.empty()) {
    const std::size_t take = digits.size() < 4 ? digits.size() : 4;
    groups[groupCount++] = digits.substr(digits.size() - take);
    digits.remove_suffix(take);
  }
  std::u16string words;
  for (std::size_t g = groupCount; g-- > 0;) {
    if (AllZero(groups[g]))
      continue; // neither 零 nor its unit
    words += GroupWords(groups[g], g + 1 == groupCount);
    words += kGroupUnits[g];
  }
  return words;
}

std::u16string DecimalWords(std::u16string_view fraction) {
  std::u16string words;
  if (!fraction.empty()) {
    if (fraction[0] == u'0') {
      words += u"零";
    } else {
      words += CapitalDigit(fraction[0] - u'0');
      words += u"角";
    }
  }
  if (fraction.size() > 1) {
    // No zero test in the second place: 12.00 is written 零零分.
    words += CapitalDigit(fraction[1] - u'0');
    words += u"分";
  }
  return words;
}

} // namespace

std::u16string_view CapitalDigit(int digit) {
  constexpr std::u16string_view kDigits[] = {u"零", u"壹", u"贰", u"叁", u"肆",
                                             u"伍", u"陆", u"柒", u"捌", u"玖"};
  if (digit < 0 || digit > 9)
    return {};
  return kDigits[digit];
}

Result<std::u16string> AmountToCapitals(std::u16string_view input) {
  PlainNumber number;
  if (!ReadPlainNumber(input, number))
    return Fail(ErrorCode::NotANumber);
  if (number.integer.empty() && AllZero(number.fraction))
    return std::u16string(u" ");
  if (number.integer.size() > kMaxIntegerDigits) {
    return Fail(ErrorCode::OutOfRange, input.find_first_not_of(u" \t"));
  }
  std::u16string_view fraction = number.fraction;
  bool hasPoint = number.hasPoint;
  if (number.negative) {
    // The absolute value in its shortest form: -1.50 is 1.5, -5.0 and -5. are 5.
    while (!fraction.empty() && fraction.back() == u'0')
      fraction.remove_suffix(1);
    hasPoint = !fraction.empty();
  }
  const std::u16string integerWords = IntegerWords(number.integer);
  std::u16string result;
  result.reserve(64);
  if (number.negative)
    result += u"(负数)";
  if (integerWords.empty())
    return result + DecimalWords(fraction);
  result += integerWords;
  result += hasPoint ? u"圆" : u"圆整";
  result += DecimalWords(fraction);
  return result;
}

} // namespace kelvaro
