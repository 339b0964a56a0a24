#include "codec/recognise/language_model.h"

#include "resources/embedded.h"
#include "text/utf.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>

KELVARO_EMBEDDED(language_model)

namespace kelvaro::recognise {
namespace {

// ---- the Chinese tables (layout: tools/make_language_model.py) -------------------------------

struct ChineseModel {
  std::span<const std::uint8_t> unigram;    // 65 536 costs in eighths of a bit, 0 = unseen
  std::span<const std::uint8_t> pairStart;  // uint32 little-endian, pairFirstCount + 1 of them
  std::span<const std::uint8_t> pairSecond; // uint16 little-endian
  std::span<const std::uint8_t> pairCost;
  char32_t pairFirst = 0;
  std::size_t pairFirstCount = 0;
};

std::uint32_t ReadLe(std::span<const std::uint8_t> bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
  return value;
}

// The built-in model; a file of the wrong shape leaves every table empty, and the scores then
// fall back to the costs of unseen characters instead of reading out of bounds.
ChineseModel LoadModel() {
  const std::span<const std::uint8_t> file = EmbeddedBytes(language_model);
  constexpr std::size_t kHeader = 12, kUnigram = 65536;
  ChineseModel model;
  if (file.size() < kHeader + kUnigram || std::memcmp(file.data(), "KLM1", 4) != 0)
    return model;
  const std::size_t pairs = ReadLe(file, 4, 4);
  const std::size_t first = ReadLe(file, 8, 2), count = ReadLe(file, 10, 2);
  const std::size_t startBytes = 4 * (count + 1);
  if (file.size() != kHeader + kUnigram + startBytes + 3 * pairs)
    return model;
  std::size_t at = kHeader;
  model.unigram = file.subspan(at, kUnigram);
  at += kUnigram;
  model.pairStart = file.subspan(at, startBytes);
  at += startBytes;
  model.pairSecond = file.subspan(at, 2 * pairs);
  model.pairCost = file.subspan(at + 2 * pairs, pairs);
  if (ReadLe(model.pairStart, 4 * count, 4) != pairs) {
    model.pairStart = model.pairSecond = model.pairCost = {};
    return model;
  }
  model.pairFirst = static_cast<char32_t>(first);
  model.pairFirstCount = count;
  return model;
}

const ChineseModel& Model() {
  static const ChineseModel model = LoadModel();
  return model;
}

// 2^(-q/8) for each quantised cost, so that mixing a pair's and a character's probability needs
// one logarithm and no exponential.
const std::array<double, 256>& Probabilities() {
  static const std::array<double, 256> table = [] {
    std::array<double, 256> t{};
    for (std::size_t q = 0; q < t.size(); ++q)
      t[q] = std::exp2(-static_cast<double>(q) / 8);
    return t;
  }();
  return table;
}

// Cost of the pair (first, second) in eighths of a bit, or -1 when the table lacks it.
int PairCost(const ChineseModel& model, char32_t first, char32_t second) {
  if (first < model.pairFirst || first - model.pairFirst >= model.pairFirstCount)
    return -1;
  const std::size_t row = first - model.pairFirst;
  std::size_t low = ReadLe(model.pairStart, 4 * row, 4);
  std::size_t high = ReadLe(model.pairStart, 4 * (row + 1), 4);
  while (low < high) {
    const std::size_t mid = (low + high) / 2;
    const char32_t at = ReadLe(model.pairSecond, 2 * mid, 2);
    if (at == second)
      return model.pairCost[mid];
    if (at < second)
      low = mid + 1;
    else
      high = mid;
  }
  return -1;
}

// ---- character classes and their costs --------------------------------------------------------

enum class Kind : std::uint8_t {
  Start,
  Han,      // Chinese character
  HanMark,  // Chinese punctuation, full-width forms
  Letter,   // ASCII letter
  Digit,    // ASCII digit
  Space,    // space, tab, line break
  Mark,     // ASCII punctuation and symbols
  Accented, // Latin letter beyond ASCII
  Sign,     // Latin-1 sign, typographic mark
  Foreign,  // kana, Hangul, Greek, Cyrillic and other scripts
  Symbol,   // other symbols
  Garbage,  // what real text does not hold: controls, U+FFFD, private use, lone surrogates
};

struct Class {
  Kind kind;
  float bits; // cost of the character itself; Han and letters are refined from this
};

// Bits for the ASCII letters a..z, -log2 of their share of English letters.
constexpr std::array<float, 26> kLetterBits = {
    3.6f, 6.1f, 5.2f, 4.5f,  3.0f, 5.5f, 5.6f, 4.0f, 3.8f, 9.4f, 7.0f, 4.6f, 5.4f,
    3.9f, 3.7f, 5.7f, 10.0f, 4.1f, 4.0f, 3.5f, 5.2f, 6.6f, 5.4f, 9.4f, 5.6f, 10.5f};

// What unseen Chinese characters cost: those of the basic block that a large corpus never used
// are rare, the extension blocks rarer still (and typical of bytes read in the wrong charset).
constexpr float kUnseenHanBits = 20.0f;
constexpr float kExtensionHanBits = 24.0f;
// A character pair that is not in the table: the pair mass goes to word boundaries, where the
// next character follows its own frequency.
constexpr float kNoPairBits = 1.0f;

constexpr float kGarbageBits = 22.0f;

Class Classify(char32_t c) {
  if (c < 0x80) {
    if (c >= 'a' && c <= 'z')
      return {Kind::Letter, kLetterBits[c - 'a']};
    if (c >= 'A' && c <= 'Z')
      return {Kind::Letter, kLetterBits[c - 'A']};
    if (c >= '0' && c <= '9')
      return {Kind::Digit, 3.6f};
    if (c == ' ')
      return {Kind::Space, 2.8f};
    if (c == '\n' || c == '\r' || c == '\t')
      return {Kind::Space, 5.0f};
    if (c < 0x20 || c == 0x7F)
      return {Kind::Garbage, kGarbageBits};
    switch (c) {
    case '.':
    case ',':
    case '-':
    case '/':
    case '_':
    case ':':
    case '(':
    case ')':
    case '\'':
    case '"':
      return {Kind::Mark, 5.0f};
    default:
      return {Kind::Mark, 7.0f};
    }
  }
  if (c < 0xA0)
    return {Kind::Garbage, kGarbageBits}; // C1 controls
  if (c < 0x100) {
    if (c == 0xD7 || c == 0xF7)
      return {Kind::Sign, 11.0f};
    if (c >= 0xC0)
      return {Kind::Accented, 0.0f};
    if (c == 0xB7)
      return {Kind::HanMark, 7.0f}; // the middle dot of Chinese names
    if (c == 0xAD)
      return {Kind::Garbage, 16.0f}; // soft hyphen: invisible, in mojibake of E4 B8 AD
    return {Kind::Sign, 12.0f};
  }
  if (c < 0x250)
    return {Kind::Accented, 0.0f};
  if (c >= 0x300 && c < 0x370)
    return {Kind::Garbage, 16.0f}; // combining marks
  if (c < 0x2000)
    return {Kind::Foreign, 11.0f}; // Greek, Cyrillic and the other alphabets
  if (c < 0x2070) {
    switch (c) {
    case 0x2014: // — and …… of Chinese, quotation marks of both
    case 0x2026:
    case 0x2018:
    case 0x2019:
    case 0x201C:
    case 0x201D:
      return {Kind::HanMark, 6.0f};
    case 0x2013:
    case 0x2022:
      return {Kind::Sign, 8.0f};
    default:
      if (c >= 0x200B && c <= 0x200F)
        return {Kind::Garbage, 16.0f}; // zero-width and direction marks
      return {Kind::Sign, 12.0f};      // † ‡ ‰ ‹ › „ ‚
    }
  }
  if (c < 0x2E80) {
    if (c >= 0x2500 && c < 0x25A0)
      return {Kind::Symbol, 15.0f}; // box drawing, block elements
    if (c >= 0x2460 && c < 0x2500)
      return {Kind::Symbol, 11.0f}; // ① ⑴ ⒈
    return {Kind::Symbol, 12.0f};
  }
  if (c < 0x3000)
    return {Kind::Symbol, 15.0f}; // radicals, ideographic description
  if (c < 0x3040) {
    switch (c) {
    case 0x3001: // 、。
    case 0x3002:
      return {Kind::HanMark, 4.5f};
    case 0x3000:
      return {Kind::HanMark, 8.0f};
    default:
      return {Kind::HanMark, 7.0f}; // 《》「」【】
    }
  }
  if (c < 0x3100)
    return {Kind::Foreign, 12.0f}; // kana
  if (c < 0x3400) {
    if (c >= 0x3130 && c < 0x3190)
      return {Kind::Foreign, 14.0f}; // Hangul letters
    return {Kind::Symbol, 13.0f};    // bopomofo, enclosed and squared CJK
  }
  if (c < 0x4DC0)
    return {Kind::Han, kExtensionHanBits};
  if (c < 0x4E00)
    return {Kind::Symbol, 15.0f};
  if (c < 0xA000)
    return {Kind::Han, kUnseenHanBits};
  if (c < 0xAC00)
    return {Kind::Foreign, 16.0f}; // Yi and others
  if (c < 0xD7B0)
    return {Kind::Foreign, 13.0f}; // Hangul
  if (c < 0xE000)
    return {Kind::Garbage, 24.0f}; // a lone surrogate
  if (c < 0xF900)
    return {Kind::Garbage, kGarbageBits}; // private use
  if (c < 0xFB00)
    return {Kind::Han, kExtensionHanBits}; // compatibility ideographs
  if (c < 0xFE30)
    return {Kind::Foreign, 14.0f};
  if (c < 0xFF00)
    return {Kind::Symbol, 12.0f};
  if (c < 0xFF61) {
    switch (c) {
    case 0xFF0C: // ，！：；？（）
    case 0xFF01:
    case 0xFF1A:
    case 0xFF1B:
    case 0xFF1F:
    case 0xFF08:
    case 0xFF09:
      return {Kind::HanMark, 4.5f};
    default:
      return {Kind::HanMark, 9.0f}; // full-width letters and digits
    }
  }
  if (c < 0xFFA0)
    return {Kind::Foreign, 16.0f}; // half-width katakana
  if (c < 0xFFF0)
    return {Kind::Foreign, 15.0f};
  if (c == 0xFFFD)
    return {Kind::Garbage, kGarbageBits};
  if (c < 0x10000)
    return {Kind::Garbage, 24.0f};
  if (c >= 0x20000 && c < 0x40000)
    return {Kind::Han, kExtensionHanBits + 2};
  if (c >= 0x1F000 && c < 0x1FB00)
    return {Kind::Symbol, 14.0f}; // emoji
  return {Kind::Foreign, 18.0f};
}

// Costs of passing from one kind of character to another.
constexpr float kScriptSwitchBits = 2.0f; // Chinese next to Latin letters or digits
constexpr float kLetterDigitBits = 3.0f;  // a digit inside a word or a letter inside a number
constexpr float kCapitalStartBits = 2.0f; // a capital starting a word
constexpr float kCapitalRunBits = 1.5f;   // a capital after a capital
constexpr float kCapitalInsideBits = 4.0f;
constexpr float kLowerBits = 0.2f;
constexpr float kAccentedInWordBits = 9.0f;   // é in café, ß in Straße
constexpr float kAccentedOutsideBits = 14.0f; // Ã at the start of a word, Ð after Ö
constexpr float kMarkRunBits = 4.0f;          // each mark after the second in a row
constexpr float kForeignAmongHanBits = 4.0f;  // kana, Hangul or Greek next to Chinese
constexpr float kSpaceRunBits = 3.0f;

bool IsCjk(Kind kind) { return kind == Kind::Han || kind == Kind::HanMark; }
bool IsLatin(Kind kind) { return kind == Kind::Letter || kind == Kind::Accented; }

class Scorer {
public:
  Scorer(const ChineseModel& model, ScoreOptions options) : m_model(model), m_options(options) {}

  double Cost(char32_t c) {
    const Class cls = Classify(c);
    double bits = cls.bits;
    switch (cls.kind) {
    case Kind::Han:
      bits = HanBits(c, cls.bits);
      if (m_prev == Kind::Letter || m_prev == Kind::Digit)
        bits += kScriptSwitchBits;
      break;
    case Kind::Letter: {
      const bool upper = c <= 'Z';
      if (m_prev == Kind::Digit)
        bits += kLetterDigitBits;
      if (IsCjk(m_prev))
        bits += kScriptSwitchBits;
      if (upper)
        bits += IsLatin(m_prev) ? (m_prevUpper ? kCapitalRunBits : kCapitalInsideBits)
                                : kCapitalStartBits;
      else
        bits += kLowerBits;
      m_prevUpper = upper;
      if (!IsLatin(m_prev))
        m_latinWord = true;
      break;
    }
    case Kind::Accented: {
      // Latin-1 capitals and, roughly, the even letters of Latin Extended-A are upper case; a
      // capital after a small letter (cafÃ) is mojibake, not a word.
      const bool upper = (c >= 0xC0 && c <= 0xDE) || (c >= 0x100 && c < 0x180 && c % 2 == 0);
      const bool inWord = m_latinWord && IsLatin(m_prev) && (!upper || m_prevUpper);
      bits = inWord ? kAccentedInWordBits : kAccentedOutsideBits;
      m_prevUpper = upper;
      break;
    }
    case Kind::Digit:
      if (m_prev == Kind::Letter)
        bits += kLetterDigitBits;
      if (IsCjk(m_prev))
        bits += kScriptSwitchBits * 0.5;
      break;
    case Kind::Mark:
    case Kind::Sign:
    case Kind::Symbol:
      if (++m_markRun > 2)
        bits += kMarkRunBits;
      break;
    case Kind::Space:
      if (m_prev == Kind::Space)
        bits += kSpaceRunBits;
      break;
    case Kind::Foreign:
      if (IsCjk(m_prev))
        bits += kForeignAmongHanBits;
      break;
    default:
      break;
    }
    if (cls.kind != Kind::Mark && cls.kind != Kind::Sign && cls.kind != Kind::Symbol)
      m_markRun = 0;
    if (!IsLatin(cls.kind))
      m_latinWord = false;
    m_prevHan = cls.kind == Kind::Han ? c : 0;
    m_prev = cls.kind;
    return bits;
  }

private:
  double HanBits(char32_t c, float unseenBits) const {
    const int own = c < 0x10000 && !m_model.unigram.empty() ? m_model.unigram[c] : 0;
    if (own == 0)
      return unseenBits;
    if (!m_options.characterPairs || m_prevHan == 0)
      return own / 8.0;
    const int pair = PairCost(m_model, m_prevHan, c);
    if (pair < 0)
      return own / 8.0 + kNoPairBits;
    const auto& p = Probabilities();
    return -std::log2(p[static_cast<std::size_t>(pair)] + 0.5 * p[static_cast<std::size_t>(own)]);
  }

  const ChineseModel& m_model;
  ScoreOptions m_options;
  Kind m_prev = Kind::Start;
  char32_t m_prevHan = 0;
  bool m_prevUpper = false;
  bool m_latinWord = false;
  int m_markRun = 0;
};

// Characters (code points) of a text, counting a lone surrogate as one, as the scan does.
std::size_t CountCharacters(std::u16string_view text) {
  std::size_t pairs = 0;
  for (std::size_t i = 1; i < text.size(); ++i)
    pairs += IsLowSurrogate(text[i]) && IsHighSurrogate(text[i - 1]);
  return text.size() - pairs;
}

} // namespace

TextScore ScoreText(std::u16string_view text, ScoreOptions options) {
  TextScore score;
  if (text.empty())
    return score;
  std::size_t end = std::min(text.size(), kScoredPrefixUnits);
  if (end < text.size() && IsHighSurrogate(text[end - 1]) && IsLowSurrogate(text[end]))
    --end;
  Scorer scorer(Model(), options);
  double bits = 0;
  std::size_t scored = 0;
  for (std::size_t i = 0; i < end; ++i, ++scored) {
    char32_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < end && IsLowSurrogate(text[i + 1]))
      c = CombineSurrogates(c, text[++i]);
    bits += scorer.Cost(c);
  }
  score.scored = scored;
  score.bitsPerCharacter = bits / static_cast<double>(scored);
  score.characters = end == text.size() ? scored : CountCharacters(text);
  return score;
}

} // namespace kelvaro::recognise
