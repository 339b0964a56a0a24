#include "codec/chinese/pinyin.h"

#include "resources/embedded.h"
#include "text/utf.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <unicode/uchar.h>
#include <unicode/utrans.h>
#include <unordered_map>
#include <vector>

KELVARO_EMBEDDED(pinyin_phrases)

namespace kelvaro {
namespace {

struct ToneMark {
  char16_t marked;
  char16_t base;
  int tone;
};

constexpr ToneMark kToneMarks[] = {
    {u'ā', u'a', 1}, {u'á', u'a', 2},   {u'ǎ', u'a', 3},   {u'à', u'a', 4},   {u'ē', u'e', 1},
    {u'é', u'e', 2}, {u'ě', u'e', 3},   {u'è', u'e', 4},   {u'ī', u'i', 1},   {u'í', u'i', 2},
    {u'ǐ', u'i', 3}, {u'ì', u'i', 4},   {u'ō', u'o', 1},   {u'ó', u'o', 2},   {u'ǒ', u'o', 3},
    {u'ò', u'o', 4}, {u'ū', u'u', 1},   {u'ú', u'u', 2},   {u'ǔ', u'u', 3},   {u'ù', u'u', 4},
    {u'ǖ', u'v', 1}, {u'ǘ', u'v', 2},   {u'ǚ', u'v', 3},   {u'ǜ', u'v', 4},   {u'ü', u'v', 0},
    {u'ḿ', u'm', 2}, {u'ń', u'n', 2},   {u'ň', u'n', 3},   {u'ǹ', u'n', 4},   {u'ế', u'ê', 2},
    {u'ề', u'ê', 4}, {u'\u0304', 0, 1}, {u'\u0301', 0, 2}, {u'\u030C', 0, 3}, {u'\u0300', 0, 4},
};

std::optional<ToneMark> FindToneMark(char16_t unit) {
  for (const ToneMark& mark : kToneMarks) {
    if (mark.marked == unit)
      return mark;
  }
  return std::nullopt;
}

// What ICU's Han-Latin gives for a character it has no reading of is the character itself, or for
// a few symbols other Latin text: only lower-case letters and tone marks make a syllable.
bool IsSyllable(std::u16string_view text) {
  if (text.empty() || (text[0] >= u'\u0300' && text[0] <= u'\u036F'))
    return false; // a tone mark needs a letter to stand on
  return std::all_of(text.begin(), text.end(), [](char16_t unit) {
    return (unit >= u'a' && unit <= u'z') || unit == u'ê' || FindToneMark(unit).has_value();
  });
}

// Classifiers that a number written in digits reads otherwise than their common reading: 3行 is
// three lines, 2重循环 a loop twice over, 7200转 revolutions, 5担 loads. Between Han characters
// the phrase table says so (三行, 两重); digits are no part of its phrases.
struct CountedReading {
  char16_t character;
  const char16_t* marks;
};

constexpr CountedReading kCountedReadings[] = {
    {u'行', u"háng"},
    {u'重', u"chóng"},
    {u'转', u"zhuàn"},
    {u'担', u"dàn"},
    {u'只', u"zhī"},
};

bool IsDigit(char16_t unit) {
  return (unit >= u'0' && unit <= u'9') || (unit >= u'０' && unit <= u'９');
}

struct Syllable {
  std::u16string marks;
  std::u16string numbers;
  char16_t initial = 0;
};

Syllable MakeSyllable(std::u16string marks) {
  Syllable syllable;
  syllable.numbers = PinyinToneNumbers(marks);
  syllable.initial = syllable.numbers.empty() ? u'?' : syllable.numbers.front();
  if (syllable.initial == u'ê')
    syllable.initial = u'e';
  syllable.marks = std::move(marks);
  return syllable;
}

std::uint16_t ReadU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// ICU's Han-Latin reading of one character, or no syllable when the transliterator cannot be made.
std::u16string TransliterateHanLatin(char32_t codePoint) {
  // Made once: it costs a sixth of a second. ICU's C interface, like every other use of ICU here,
  // so that kelvaro-cli can load the library on first use.
  static const std::unique_ptr<UTransliterator, decltype(&utrans_close)> transliterator = [] {
    UErrorCode status = U_ZERO_ERROR;
    static constexpr std::u16string_view kId = u"Han-Latin";
    UTransliterator* made = utrans_openU(kId.data(), static_cast<int32_t>(kId.size()),
                                         UTRANS_FORWARD, nullptr, 0, nullptr, &status);
    if (U_FAILURE(status) && made != nullptr) {
      utrans_close(made);
      made = nullptr;
    }
    return std::unique_ptr<UTransliterator, decltype(&utrans_close)>(made, &utrans_close);
  }();
  if (!transliterator)
    return {};
  // A syllable with its tone mark is a few units; a reading that does not fit is no syllable.
  std::array<char16_t, 32> text{};
  std::u16string input;
  AppendCodePoint(input, codePoint);
  std::copy(input.begin(), input.end(), text.begin());
  auto length = static_cast<int32_t>(input.size());
  int32_t limit = length;
  UErrorCode status = U_ZERO_ERROR;
  utrans_transUChars(transliterator.get(), text.data(), &length, static_cast<int32_t>(text.size()),
                     0, &limit, &status);
  if (U_FAILURE(status) || length > static_cast<int32_t>(text.size()))
    return {};
  return std::u16string(text.data(), static_cast<std::size_t>(length));
}

// The readings the conversion looks up, read once from the table built into the program (layout:
// tools/make_pinyin_table.py): the syllables, the reading of every Han character of the Basic
// Multilingual Plane that ICU's Han-Latin reads, and the phrases. Characters beyond that plane are
// asked of ICU on their first use.
class PinyinTable {
public:
  PinyinTable() {
    Read(EmbeddedBytes(pinyin_phrases));
    for (const CountedReading& counted : kCountedReadings)
      m_counted.emplace(counted.character, MakeSyllable(counted.marks));
  }

  /// 地 as the particle that makes an adverb (慢慢地, 选择性地).
  const Syllable& AdverbialDe() const { return m_adverbialDe; }

  const Syllable& At(std::uint16_t index) const { return m_syllables[index]; }

  /// Calls `visit(length, syllables, cost)` for every phrase that starts at `text[i]`, shortest
  /// first.
  template <typename Visit>
  void ForEachPhrase(std::u16string_view text, std::size_t i, Visit&& visit) const {
    const std::size_t longest = std::min<std::size_t>(m_longestFrom[text[i]], text.size() - i);
    if (longest < 2 || !MayBeginPhrase(text[i], text[i + 1]))
      return;
    for (std::size_t length = 2; length <= longest; ++length) {
      const auto it = m_phrases.find(text.substr(i, length));
      if (it == m_phrases.end())
        break; // no phrase goes on from here
      if (it->second.isPhrase)
        visit(length, m_phraseSyllables.data() + it->second.syllables, it->second.cost);
    }
  }

  /// Whether the unit is a character of the Basic Multilingual Plane that the table reads.
  bool Reads(char16_t unit) const { return m_characters[unit] != kNone; }

  /// The reading of a character that the table reads.
  const Syllable& ReadingOf(char16_t unit) const { return m_syllables[m_characters[unit]]; }

  /// The reading of a classifier after a number in digits, or nothing where it reads as usual.
  std::optional<std::reference_wrapper<const Syllable>> CountedReadingOf(char16_t unit) const {
    const auto it = m_counted.find(unit);
    if (it == m_counted.end())
      return std::nullopt;
    return it->second;
  }

  /// How unlikely the character is as a word of its own (see the generator).
  std::uint8_t CostOf(char16_t unit) const { return m_characterCosts[unit]; }

  /// The reading of the character at `text[i]` and how many units it takes (2 for a surrogate
  /// pair), or a length of 0 when it has none.
  std::size_t CharacterReading(std::u16string_view text, std::size_t i,
                               const Syllable** syllable) const {
    const char16_t unit = text[i];
    if (!IsSurrogate(unit)) {
      if (m_characters[unit] == kNone)
        return 0;
      *syllable = &m_syllables[m_characters[unit]];
      return 1;
    }
    if (!IsHighSurrogate(unit) || i + 1 >= text.size() || !IsLowSurrogate(text[i + 1]))
      return 0;
    const char32_t codePoint = CombineSurrogates(unit, text[i + 1]);
    // Only the ideographic planes hold Han characters.
    if (codePoint < 0x20000 || codePoint > 0x3FFFF)
      return 0;
    const std::lock_guard lock(m_supplementaryMutex);
    auto [it, inserted] = m_supplementary.try_emplace(codePoint);
    if (inserted) {
      if (std::u16string marks = TransliterateHanLatin(codePoint); IsSyllable(marks))
        it->second = std::make_unique<const Syllable>(MakeSyllable(std::move(marks)));
    }
    *syllable = it->second.get(); // never changed once made: safe to read outside the lock
    return it->second ? 2 : 0;
  }

private:
  static constexpr std::uint16_t kNone = 0xFFFF;
  static constexpr int kPairBits = 22;

  // The bit of a pair of units in m_pairs: a filter that the hash table's lookups, each a few
  // misses of the cache, are asked only behind. Most pairs of a text begin no phrase.
  static std::size_t PairBit(char16_t first, char16_t second) {
    const std::uint32_t mixed = (first * 0x9E3779B1u) ^ (second * 0x85EBCA77u);
    return mixed >> (32 - kPairBits);
  }
  bool MayBeginPhrase(char16_t first, char16_t second) const {
    const std::size_t bit = PairBit(first, second);
    return (m_pairs[bit / 64] >> (bit % 64) & 1) != 0;
  }

  struct Phrase {
    std::uint32_t syllables = 0; // start in m_phraseSyllables
    std::uint8_t cost = 0;       // how unlikely the phrase is: -ln(its frequency) * 8
    bool isPhrase = false;       // false: only the beginning of longer phrases
  };

  // The table is ours and built in, so it is well formed; a short or foreign one still only stops
  // the reading, leaving the characters read so far.
  void Read(std::span<const std::uint8_t> data) {
    const std::uint8_t* p = data.data();
    const std::uint8_t* const end = p + data.size();
    auto left = [&] { return static_cast<std::size_t>(end - p); };
    if (left() < 6 || std::string_view(reinterpret_cast<const char*>(p), 4) != "KPY3")
      return;
    p += 4;
    const std::size_t syllableCount = ReadU16(p);
    p += 2;
    m_syllables.reserve(syllableCount);
    for (std::size_t s = 0; s < syllableCount; ++s) {
      if (left() < 1 || left() < 1u + *p)
        return;
      const std::size_t bytes = *p++;
      m_syllables.push_back(MakeSyllable(
          Utf8ToUtf16Lenient(std::string_view(reinterpret_cast<const char*>(p), bytes))));
      p += bytes;
    }
    if (left() < 2)
      return;
    const std::size_t rangeCount = ReadU16(p);
    p += 2;
    for (std::size_t r = 0; r < rangeCount; ++r) {
      if (left() < 4)
        return;
      const std::size_t first = ReadU16(p);
      const std::size_t count = ReadU16(p + 2);
      p += 4;
      if (left() < 2 * count || first + count > 0x10000)
        return;
      for (std::size_t k = 0; k < count; ++k) {
        const std::uint16_t syllable = ReadU16(p + 2 * k);
        m_characters[first + k] = syllable < m_syllables.size() ? syllable : kNone;
      }
      p += 2 * count;
    }
    if (left() < 2)
      return;
    const std::size_t costRangeCount = ReadU16(p);
    p += 2;
    for (std::size_t r = 0; r < costRangeCount; ++r) {
      if (left() < 4)
        return;
      const std::size_t first = ReadU16(p);
      const std::size_t count = ReadU16(p + 2);
      p += 4;
      if (left() < count || first + count > 0x10000)
        return;
      std::copy(p, p + count, m_characterCosts.begin() + static_cast<std::ptrdiff_t>(first));
      p += count;
    }
    if (left() < 4)
      return;
    const std::uint32_t phraseCount = ReadU16(p) | static_cast<std::uint32_t>(ReadU16(p + 2)) << 16;
    p += 4;
    m_keyStorage.reserve(left() / 4);
    m_phraseSyllables.reserve(left() / 4);
    std::vector<std::pair<std::size_t, std::size_t>> keys; // start and length in m_keyStorage
    keys.reserve(phraseCount);
    std::vector<std::uint8_t> costs;
    costs.reserve(phraseCount);
    for (std::uint32_t e = 0; e < phraseCount; ++e) {
      if (left() < 1 || *p < 2 || left() < 2u + 4u * *p)
        break;
      const std::size_t length = *p++;
      keys.emplace_back(m_keyStorage.size(), length);
      costs.push_back(p[4 * length]);
      for (std::size_t k = 0; k < length; ++k) {
        m_keyStorage.push_back(static_cast<char16_t>(ReadU16(p + 2 * k)));
        const std::uint16_t syllable = ReadU16(p + 2 * (length + k));
        m_phraseSyllables.push_back(syllable < m_syllables.size() ? syllable : 0);
      }
      p += 4 * length + 1;
    }
    // Views into the key storage are taken once it no longer grows; a phrase's syllables start
    // where its key does.
    m_phrases.reserve(2 * keys.size());
    for (std::size_t e = 0; e < keys.size(); ++e) {
      const auto [start, length] = keys[e];
      const std::u16string_view key(m_keyStorage.data() + start, length);
      m_phrases[key] = {static_cast<std::uint32_t>(start), costs[e], true};
      for (std::size_t prefix = 2; prefix < length; ++prefix)
        m_phrases.try_emplace(key.substr(0, prefix)); // a beginning only, unless a phrase itself
      const std::size_t bit = PairBit(key[0], key[1]);
      m_pairs[bit / 64] |= std::uint64_t{1} << (bit % 64);
      auto& longest = m_longestFrom[key[0]];
      longest = static_cast<std::uint8_t>(std::max<std::size_t>(longest, length));
    }
  }

  std::vector<Syllable> m_syllables;
  std::vector<std::uint16_t> m_characters = std::vector<std::uint16_t>(0x10000, kNone);
  std::u16string m_keyStorage;
  std::vector<std::uint16_t> m_phraseSyllables;
  std::unordered_map<std::u16string_view, Phrase> m_phrases;
  std::vector<std::uint8_t> m_longestFrom = std::vector<std::uint8_t>(0x10000, 0);
  /// A bit for the first two units of every phrase (PairBit), and some pairs beginning none.
  std::vector<std::uint64_t> m_pairs = std::vector<std::uint64_t>((1u << kPairBits) / 64, 0);
  std::vector<std::uint8_t> m_characterCosts = std::vector<std::uint8_t>(0x10000, 255);
  std::unordered_map<char16_t, Syllable> m_counted;
  Syllable m_adverbialDe = MakeSyllable(u"de");
  mutable std::mutex m_supplementaryMutex;
  mutable std::unordered_map<char32_t, std::unique_ptr<const Syllable>> m_supplementary;
};

// Never destroyed: freeing the phrase table's hundreds of thousands of nodes at exit took a tenth
// of a pinyin command on 8 MiB, and the process hands its memory back whole.
const PinyinTable& Table() {
  static const PinyinTable& table = *new PinyinTable;
  return table;
}

// What a unit that is not read as a syllable does to the blanks around it.
enum class Neighbour {
  LineBreak, ///< CR or LF: copied, and a line starts after it
  Mark,      ///< a combining mark: stays with whatever stands before it, a syllable included
  Word,      ///< a letter or digit (of any script): one blank between it and a syllable
  Other,     ///< punctuation, symbols, blanks: copied with no blank around it
};

Neighbour NeighbourOf(char32_t codePoint) {
  if (codePoint == u'\r' || codePoint == u'\n')
    return Neighbour::LineBreak;
  if (U_GET_GC_MASK(codePoint) & U_GC_M_MASK)
    return Neighbour::Mark;
  return u_isalnum(static_cast<UChar32>(codePoint)) ? Neighbour::Word : Neighbour::Other;
}

// The code point a unit belongs to: a surrogate pair's halves both stand for the pair's.
char32_t CodePointAt(std::u16string_view text, std::size_t i) {
  const char16_t unit = text[i];
  if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
    return CombineSurrogates(unit, text[i + 1]);
  if (IsLowSurrogate(unit) && i > 0 && IsHighSurrogate(text[i - 1]))
    return CombineSurrogates(text[i - 1], unit);
  return unit;
}

// Where the result stands: what the last thing written was, for the blank between neighbours.
class Layout {
public:
  Layout(std::u16string& out, PinyinStyle style) : m_out(out), m_style(style) {}

  void AddSyllable(const Syllable& syllable) {
    if (m_style == PinyinStyle::Initials) {
      m_out.push_back(syllable.initial);
      return;
    }
    if (m_last == Last::Syllable || m_last == Last::Word)
      m_out.push_back(u' ');
    m_out += m_style == PinyinStyle::ToneMarks ? syllable.marks : syllable.numbers;
    m_last = Last::Syllable;
  }

  void AddOther(char16_t unit, Neighbour neighbour) {
    switch (neighbour) {
    case Neighbour::LineBreak:
      m_last = Last::LineStart;
      break;
    case Neighbour::Mark:
      break;
    case Neighbour::Word:
      if (m_last == Last::Syllable && m_style != PinyinStyle::Initials)
        m_out.push_back(u' ');
      m_last = Last::Word;
      break;
    case Neighbour::Other:
      m_last = Last::Other;
      break;
    }
    m_out.push_back(unit);
  }

private:
  enum class Last { LineStart, Syllable, Word, Other };
  std::u16string& m_out;
  PinyinStyle m_style;
  Last m_last = Last::LineStart;
};

// Splits a run of characters into the words that make it most likely, each word a phrase of the
// table or a single character, and writes their readings. Where two phrases overlap (部分为 as
// 部分 and 为, or 部 and 分为), the likelier split wins rather than the longer first phrase: the
// cost of a split is the sum of its words' costs, -ln(frequency) each, and the cheapest wins,
// the one with the longer first word on a tie. Linear: each position tries the phrases of at most
// the table's longest phrase.
class Segmenter {
public:
  /// `afterNumber`: the run follows a number written in digits, so a classifier that begins it
  /// on its own is read as one.
  void Read(const PinyinTable& table, std::u16string_view run, bool afterNumber, Layout& layout) {
    const std::size_t n = run.size();
    m_cost.assign(n + 1, 0);
    m_take.assign(n + 1, 1);
    m_syllables.assign(n + 1, nullptr);
    for (std::size_t i = n; i-- > 0;) {
      std::uint32_t best = table.CostOf(run[i]) + m_cost[i + 1];
      std::size_t take = 1;
      const std::uint16_t* syllables = nullptr;
      table.ForEachPhrase(run, i, [&](std::size_t length, const std::uint16_t* read,
                                      std::uint8_t cost) {
        if (const std::uint32_t total = cost + m_cost[i + length]; total <= best) {
          best = total;
          take = length;
          syllables = read;
        }
      });
      m_cost[i] = best;
      m_take[i] = static_cast<std::uint8_t>(take);
      m_syllables[i] = syllables;
    }
    std::size_t previous = 0; // where the word before starts
    for (std::size_t i = 0; i < n;) {
      if (m_take[i] == 1) {
        const auto counted = i == 0 && afterNumber ? table.CountedReadingOf(run[i]) : std::nullopt;
        if (counted)
          layout.AddSyllable(*counted);
        else if (run[i] == u'地' && MakesAnAdverb(run.substr(previous, i - previous)))
          layout.AddSyllable(table.AdverbialDe());
        else
          layout.AddSyllable(table.ReadingOf(run[i]));
        previous = i;
        ++i;
        continue;
      }
      for (std::size_t k = 0; k < m_take[i]; ++k)
        layout.AddSyllable(table.At(m_syllables[i][k]));
      previous = i;
      i += m_take[i];
    }
  }

private:
  // 地 standing alone after a word of two characters or more is the particle de of an adverb
  // (仔细地, 选择性地); after one character, a count (一块地) or a possessive (我们的地) it is the
  // ground, dì.
  static bool MakesAnAdverb(std::u16string_view word) {
    return word.size() >= 2 && std::u16string_view(u"块片亩的").find(word.back()) ==
                                   std::u16string_view::npos;
  }

  std::vector<std::uint32_t> m_cost;
  std::vector<std::uint8_t> m_take;
  std::vector<const std::uint16_t*> m_syllables;
};

} // namespace

std::u16string PinyinToneNumbers(std::u16string_view syllable) {
  std::u16string numbers;
  numbers.reserve(syllable.size() + 1);
  int tone = 0;
  for (const char16_t unit : syllable) {
    if (const std::optional<ToneMark> mark = FindToneMark(unit)) {
      if (mark->base != 0)
        numbers.push_back(mark->base);
      if (mark->tone != 0)
        tone = mark->tone;
    } else {
      numbers.push_back(unit);
    }
  }
  if (tone != 0)
    numbers.push_back(static_cast<char16_t>(u'0' + tone));
  return numbers;
}

std::u16string Pinyin(std::u16string_view text, PinyinStyle style) {
  const PinyinTable& table = Table();
  // A syllable and its space take about five units, six at most but for the few longest: the
  // estimate is rarely passed, and then the string grows once.
  std::size_t han = 0;
  for (const char16_t unit : text)
    han += unit >= 0x3400 ? 1 : 0;
  std::u16string out;
  out.reserve(style == PinyinStyle::Initials ? text.size() : text.size() + 5 * han);
  Layout layout(out, style);
  Segmenter segmenter;
  const std::size_t n = text.size();
  bool afterNumber = false; // the last unit but blanks was a digit
  for (std::size_t i = 0; i < n;) {
    if (table.Reads(text[i])) {
      // A run of characters the table reads: no phrase reaches past it. Text without punctuation
      // is cut every kLongestRun characters, so that the segmenter's memory stays small and its
      // costs cannot overflow; a phrase across a cut is lost, which prose never meets.
      constexpr std::size_t kLongestRun = 4096;
      std::size_t end = i + 1;
      while (end < n && end - i < kLongestRun && table.Reads(text[end]))
        ++end;
      segmenter.Read(table, text.substr(i, end - i), afterNumber, layout);
      afterNumber = false;
      i = end;
      continue;
    }
    const Syllable* syllable = nullptr;
    if (const std::size_t units = table.CharacterReading(text, i, &syllable); units != 0) {
      layout.AddSyllable(*syllable);
      afterNumber = false;
      i += units;
      continue;
    }
    if (text[i] != u' ')
      afterNumber = IsDigit(text[i]);
    layout.AddOther(text[i], NeighbourOf(CodePointAt(text, i)));
    ++i;
  }
  return out;
}

} // namespace kelvaro
