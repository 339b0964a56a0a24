#include "codec/chinese/amount.h"

#include "text/numbers.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kelvaro {
namespace {

constexpr std::size_t kMaxIntegerDigits = 16;
constexpr std::u16string_view kPlaceUnits[] = {u"", u"拾", u"佰", u"仟"};
// The fourth group is counted in 万 of 亿; it takes 万亿 when the 亿 group below it is empty.
constexpr std::u16string_view kGroupUnits[] = {u"", u"万", u"亿", u"万"};

struct PlainNumber {
  bool negative = false;
  std::u16string_view integer;  ///< digits before the point, leading zeros removed
  std::u16string_view fraction; ///< digits after the point
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsBlankOrBreak(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\u3000';
}

// The plain number (ASCII sign, digits and point) of an amount as people paste it from
// spreadsheets and receipts: blanks and line breaks around it, ¥ or ￥ after the sign, 元 or 圆
// after the digits, full-width digits, point and sign, commas between groups of three integer
// digits. False where the text is none of these; what it leaves is checked by ReadPlainNumber.
bool PlainNumberOf(std::u16string_view text, std::u16string& plain) {
  while (!text.empty() && IsBlankOrBreak(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlankOrBreak(text.back()))
    text.remove_suffix(1);
  plain.clear();
  plain.reserve(text.size());
  if (!text.empty() && (text.front() == u'-' || text.front() == u'－' || text.front() == u'+' ||
                        text.front() == u'＋')) {
    plain.push_back(text.front() == u'-' || text.front() == u'－' ? u'-' : u'+');
    text.remove_prefix(1);
  }
  if (!text.empty() && (text.front() == u'¥' || text.front() == u'￥'))
    text.remove_prefix(1);
  if (!text.empty() && (text.back() == u'元' || text.back() == u'圆'))
    text.remove_suffix(1);
  std::size_t groupDigits = 0; // integer digits since the start or the last comma
  bool grouped = false;
  bool afterPoint = false;
  for (char16_t c : text) {
    if (c >= u'０' && c <= u'９')
      c = static_cast<char16_t>(c - u'０' + u'0');
    else if (c == u'．')
      c = u'.';
    if (IsDigit(c)) {
      groupDigits += afterPoint ? 0 : 1;
    } else if (c == u'.') {
      if (grouped && !afterPoint && groupDigits != 3)
        return false;
      afterPoint = true;
    } else if (c == u',' && !afterPoint) {
      // The first group has one to three digits, every later one exactly three.
      if (grouped ? groupDigits != 3 : groupDigits == 0 || groupDigits > 3)
        return false;
      grouped = true;
      groupDigits = 0;
      continue;
    } else {
      return false;
    }
    plain.push_back(c);
  }
  return !grouped || afterPoint || groupDigits == 3;
}

bool ReadPlainNumber(std::u16string_view text, PlainNumber& number) {
  text = TrimBlanks(text);
  if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
    number.negative = text.front() == u'-';
    text.remove_prefix(1);
  }
  const std::size_t point = text.find(u'.');
  std::u16string_view integer = text.substr(0, point);
  number.fraction =
      point != std::u16string_view::npos ? text.substr(point + 1) : std::u16string_view();
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
  std::array<std::u16string_view, 4> groups; // units, 万, 亿, 万亿
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
    if (g == 3 && AllZero(groups[2]))
      words += u"亿";
  }
  return words;
}

// 角 and 分 as the rules for bills want them: nothing for a zero 分 (20.10 is 壹角, not 壹角零分),
// 零 for a zero 角 before a 分 (0.05 is 零伍分), and nothing at all when both are zero, so that the
// caller writes 整. Decimals past the 分 are cut, never rounded.
std::u16string DecimalWords(std::u16string_view fraction) {
  const int jiao = fraction.size() > 0 ? fraction[0] - u'0' : 0;
  const int fen = fraction.size() > 1 ? fraction[1] - u'0' : 0;
  std::u16string words;
  if (jiao != 0) {
    words += CapitalDigit(jiao);
    words += u"角";
  } else if (fen != 0) {
    words += u"零";
  }
  if (fen != 0) {
    words += CapitalDigit(fen);
    words += u"分";
  }
  return words;
}

// What a character of an amount in words stands for.
enum class Word { Other, Digit, Zero, Unit, Wan, Yi, Yuan, Jiao, Fen, Whole };

struct WordValue {
  Word word = Word::Other;
  int value = 0; // the digit, or the unit's place value (10, 100, 1000)
};

WordValue WordOf(char16_t c) {
  switch (c) {
  case u'零':
  case u'〇':
    return {Word::Zero, 0};
  case u'壹':
  case u'一':
    return {Word::Digit, 1};
  case u'贰':
  case u'貳':
  case u'二':
  case u'两':
  case u'兩':
    return {Word::Digit, 2};
  case u'叁':
  case u'參':
  case u'三':
    return {Word::Digit, 3};
  case u'肆':
  case u'四':
    return {Word::Digit, 4};
  case u'伍':
  case u'五':
    return {Word::Digit, 5};
  case u'陆':
  case u'陸':
  case u'六':
    return {Word::Digit, 6};
  case u'柒':
  case u'七':
    return {Word::Digit, 7};
  case u'捌':
  case u'八':
    return {Word::Digit, 8};
  case u'玖':
  case u'九':
    return {Word::Digit, 9};
  case u'拾':
  case u'十':
    return {Word::Unit, 10};
  case u'佰':
  case u'百':
    return {Word::Unit, 100};
  case u'仟':
  case u'千':
    return {Word::Unit, 1000};
  case u'万':
  case u'萬':
    return {Word::Wan, 0};
  case u'亿':
  case u'億':
    return {Word::Yi, 0};
  case u'圆':
  case u'元':
  case u'圓':
    return {Word::Yuan, 0};
  case u'角':
    return {Word::Jiao, 0};
  case u'分':
    return {Word::Fen, 0};
  case u'整':
  case u'正':
    return {Word::Whole, 0};
  default:
    return {};
  }
}

bool StartsWith(std::u16string_view text, std::size_t at, std::u16string_view prefix) {
  return text.substr(at, prefix.size()) == prefix;
}

// Reads the words of an amount left to right. The integer is built a group at a time: the group
// below 万 (section), the 万 group and the 亿 group. A digit waits for the unit after it; one
// left waiting when its group closes counts one place below the unit right before it (壹拾贰:
// 2 units; 一百五: 5 tens), or as units after a 零.
class AmountReader {
public:
  explicit AmountReader(std::u16string_view text) : m_text(text) {}

  Result<std::u16string> Read() {
    std::size_t i = SkipBlanks(0);
    for (const std::u16string_view mark : {u"(负数)", u"（负数）", u"负"}) {
      if (StartsWith(m_text, i, mark)) {
        m_negative = true;
        i = SkipBlanks(i + mark.size());
        break;
      }
    }
    if (StartsWith(m_text, i, u"人民币"))
      i += 3;
    for (; i < m_text.size(); ++i) {
      const char16_t c = m_text[i];
      if (IsBlankOrBreak(c))
        continue;
      if (!Take(WordOf(c)))
        return Fail(ErrorCode::NotAnAmount, i);
    }
    // A digit left after 圆 has no unit (壹圆伍); one left in the integer is its last place.
    if (!m_anyNumeral || (m_phase != Phase::Integer && m_pending))
      return Fail(ErrorCode::NotAnAmount, m_text.size());
    if (m_phase == Phase::Integer)
      CloseIntegerPart();
    return Written();
  }

private:
  enum class Phase { Integer, Decimals, Done };

  std::size_t SkipBlanks(std::size_t i) const {
    while (i < m_text.size() && IsBlankOrBreak(m_text[i]))
      ++i;
    return i;
  }

  bool Take(WordValue w) {
    if (m_phase == Phase::Done)
      return false;
    switch (w.word) {
    case Word::Digit:
      if (m_pending)
        return false; // two digits in a row
      m_pending = w.value;
      m_pendingRightAfterUnit = !m_zeroSince && m_lastUnit != 0;
      m_anyNumeral = true;
      return true;
    case Word::Zero:
      if (m_pending)
        return false;
      m_zeroSince = true;
      m_anyNumeral = true;
      return true;
    case Word::Unit:
      if (m_phase != Phase::Integer || (m_sectionUnit != 0 && w.value >= m_sectionUnit))
        return false; // units fall within a group: 仟 佰 拾
      // Only 十 stands without its digit: at the start of a group (十二 is 12) or after a 零
      // (一千零十 is 1010).
      if (!m_pending && !(w.value == 10 && (m_section == 0 || m_zeroSince)))
        return false;
      m_section += static_cast<std::uint64_t>(m_pending.value_or(1)) * w.value;
      m_sectionUnit = m_lastUnit = w.value;
      m_anyNumeral = true;
      ClearPending();
      return true;
    case Word::Wan:
    case Word::Yi: {
      // What stands before 亿 is a number of up to eight digits with a 万 of its own (壹万壹亿,
      // 壹万亿); after 亿 a new 万 may follow.
      const bool wan = w.word == Word::Wan;
      if (m_phase != Phase::Integer || (wan ? m_seenWan : m_seenYi))
        return false;
      // A digit right after 万 or 亿 that 万 or 亿 closes is its group's units (壹万壹亿 is 10001
      // 亿); one place below the unit before it only when it ends the integer (三万五).
      const std::uint64_t group =
          m_section + (m_lastUnit >= 10000 && m_pending ? *m_pending : PendingValue());
      if (wan) {
        if (group == 0)
          return false;
        m_wan = group;
        m_seenWan = true;
        m_lastUnit = 10000;
      } else {
        m_yi = m_wan * 10000 + group;
        if (m_yi == 0)
          return false;
        m_wan = 0;
        m_seenWan = false;
        m_seenYi = true;
        m_lastUnit = 100000000;
      }
      m_section = 0;
      m_sectionUnit = 0;
      ClearPending();
      return true;
    }
    case Word::Yuan:
      if (m_phase != Phase::Integer || !m_anyNumeral || !CloseIntegerPart())
        return false;
      m_phase = Phase::Decimals;
      return true;
    case Word::Jiao:
    case Word::Fen: {
      const bool jiao = w.word == Word::Jiao;
      if (m_phase == Phase::Integer) {
        // Decimals without yuan (伍角, 零伍分): nothing may stand before their digit.
        if (m_section != 0 || m_seenWan || m_seenYi || m_lastUnit != 0)
          return false;
        m_phase = Phase::Decimals;
      }
      if (!m_pending && !m_zeroSince)
        return false;
      if (jiao ? m_decimals != 0 : m_decimals == 2)
        return false;
      const int digit = m_pending.value_or(0);
      if (jiao) {
        m_jiao = digit;
        m_decimals = 1;
      } else {
        m_fen = digit;
        m_decimals = 2;
      }
      ClearPending();
      return true;
    }
    case Word::Whole:
      if (m_phase == Phase::Integer && (!m_anyNumeral || !CloseIntegerPart()))
        return false;
      m_phase = Phase::Done;
      return true;
    case Word::Other:
      return false;
    }
    return false;
  }

  std::uint64_t PendingValue() const {
    if (!m_pending)
      return 0;
    return static_cast<std::uint64_t>(*m_pending) *
           (m_pendingRightAfterUnit ? static_cast<std::uint64_t>(m_lastUnit / 10) : 1);
  }

  void ClearPending() {
    m_pending.reset();
    m_zeroSince = false;
  }

  bool CloseIntegerPart() {
    m_integer = m_yi * 100000000 + m_wan * 10000 + m_section + PendingValue();
    ClearPending();
    m_lastUnit = 0;
    return true;
  }

  std::u16string Written() const {
    std::u16string out;
    out.reserve(20);
    if (m_negative && (m_integer != 0 || m_jiao != 0 || m_fen != 0))
      out.push_back(u'-');
    for (const char c : std::to_string(m_integer))
      out.push_back(static_cast<char16_t>(c));
    if (m_decimals > 0) {
      out.push_back(u'.');
      out.push_back(static_cast<char16_t>(u'0' + m_jiao));
    }
    if (m_decimals > 1)
      out.push_back(static_cast<char16_t>(u'0' + m_fen));
    return out;
  }

  std::u16string_view m_text;
  Phase m_phase = Phase::Integer;
  bool m_negative = false;
  bool m_anyNumeral = false;
  std::optional<int> m_pending;         // a digit waiting for its unit
  bool m_pendingRightAfterUnit = false; // ... written right after a unit, without 零 between
  bool m_zeroSince = false;             // a 零 since the last unit or digit used
  int m_lastUnit = 0;                   // the place value of the last unit, 万 and 亿 included
  int m_sectionUnit = 0;                // the last unit within the group below 万
  std::uint64_t m_section = 0, m_wan = 0, m_yi = 0, m_integer = 0;
  bool m_seenWan = false, m_seenYi = false;
  int m_decimals = 0, m_jiao = 0, m_fen = 0;
};

} // namespace

std::u16string_view CapitalDigit(int digit) {
  constexpr std::u16string_view kDigits[] = {u"零", u"壹", u"贰", u"叁", u"肆",
                                             u"伍", u"陆", u"柒", u"捌", u"玖"};
  if (digit < 0 || digit > 9)
    return {};
  return kDigits[digit];
}

Result<std::u16string> AmountToCapitals(std::u16string_view input) {
  std::u16string plain;
  PlainNumber number;
  if (!PlainNumberOf(input, plain) || !ReadPlainNumber(plain, number))
    return Fail(ErrorCode::NotANumber);
  if (number.integer.size() > kMaxIntegerDigits) {
    std::size_t start = 0;
    while (start < input.size() && IsBlankOrBreak(input[start]))
      ++start;
    return Fail(ErrorCode::OutOfRange, start);
  }
  const std::u16string integerWords = IntegerWords(number.integer);
  const std::u16string decimalWords = DecimalWords(number.fraction);
  // Zero to the 分 (0, 0.00, 0.001, -0) is 零圆整, and a zero has no sign to mark.
  if (integerWords.empty() && decimalWords.empty())
    return std::u16string(u"零圆整");
  std::u16string result;
  result.reserve(64);
  if (number.negative)
    result += u"(负数)";
  if (integerWords.empty())
    return result + decimalWords; // 伍角, 零伍分: no 零圆 before them
  result += integerWords;
  result += u"圆";
  result += decimalWords.empty() ? std::u16string_view(u"整") : std::u16string_view(decimalWords);
  return result;
}

Result<std::u16string> CapitalsToNumber(std::u16string_view text) {
  return AmountReader(text).Read();
}

} // namespace kelvaro
