#include "codec/recognise/language_model.h"

#include "resources/embedded.h"
#include "text/utf.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <unicode/uchar.h>

KELVARO_EMBEDDED(language_model)
KELVARO_EMBEDDED(script_model)

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

// ---- the letters of the other scripts (layout: tools/make_script_model.py) ------------------

struct ScriptModel {
  std::span<const std::uint8_t> unigram; // 65 536 costs in eighths of a bit, 0 = unseen
  std::span<const std::uint8_t> keys;    // uint32 little-endian: first << 16 | second, ascending
  std::span<const std::uint8_t> cost;
};

// As LoadModel: a file of the wrong shape leaves the tables empty, and letters then cost what
// their class says.
ScriptModel LoadScriptModel() {
  const std::span<const std::uint8_t> file = EmbeddedBytes(script_model);
  constexpr std::size_t kHeader = 8, kUnigram = 65536;
  ScriptModel model;
  if (file.size() < kHeader + kUnigram || std::memcmp(file.data(), "KSM1", 4) != 0)
    return model;
  const std::size_t pairs = ReadLe(file, 4, 4);
  if (file.size() != kHeader + kUnigram + 5 * pairs)
    return model;
  model.unigram = file.subspan(kHeader, kUnigram);
  model.keys = file.subspan(kHeader + kUnigram, 4 * pairs);
  model.cost = file.subspan(kHeader + kUnigram + 4 * pairs, pairs);
  return model;
}

const ScriptModel& Letters() {
  static const ScriptModel model = LoadScriptModel();
  return model;
}

// Cost of the letter pair in eighths of a bit, or -1 when the table lacks it.
int LetterPairCost(const ScriptModel& model, char32_t first, char32_t second) {
  const std::uint32_t key = static_cast<std::uint32_t>(first) << 16 | second;
  std::size_t low = 0, high = model.cost.size();
  while (low < high) {
    const std::size_t mid = (low + high) / 2;
    const std::uint32_t at = ReadLe(model.keys, 4 * mid, 4);
    if (at == key)
      return model.cost[mid];
    if (at < key)
      low = mid + 1;
    else
      high = mid;
  }
  return -1;
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
    switch (c) {
    // The signs of European prose and prices: £ ° § © ® « » ¿ ¡ ×. Cheaper than the rest of
    // Latin-1's signs, which mostly stand in misread bytes.
    case 0xA3:
    case 0xB0:
    case 0xA7:
    case 0xA9:
    case 0xAE:
    case 0xAB:
    case 0xBB:
    case 0xBF:
    case 0xA1:
    case 0xD7:
      return {Kind::Sign, 9.0f};
    default:
      break;
    }
    if (c == 0xF7)
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
// A letter of another alphabet than the letter before it (Hebrew after Latin, Latin after
// Cyrillic): real text keeps to one alphabet for long stretches, and a misreading of one
// alphabet's bytes as another's scatters single letters of a third.
constexpr float kScriptChangeBits = 6.0f;
// A letter of an alphabet that the letter statistics never saw (IPA, rare extensions): what the
// misreadings of Latin text give (É® read back as ɮ).
constexpr float kUnseenLetterBits = 18.0f;
// A single Chinese character glued to letters: 僧 in CAF僧, 夯 in 夯uateur, where a European word's
// bytes were read as a double-byte charset. Real mixed text glues runs of Chinese to words.
constexpr float kLoneHanBits = 5.0f;

// The script of a letter, coarsely: kana count as one with Chinese characters (Japanese mixes
// both).
constexpr int kHanScript = 4;

int ScriptOf(char32_t c) {
  // IPA and the modifier letters stand inside Latin words: ʻ in Hawaiʻi, ʼ in Ukrainian names.
  if (c < 0x300 || (c >= 0x1E00 && c < 0x1F00))
    return 1; // Latin
  if ((c >= 0x370 && c < 0x400) || (c >= 0x1F00 && c < 0x2000))
    return 2; // Greek
  if (c >= 0x400 && c < 0x530)
    return 3; // Cyrillic
  if (c >= 0x3040 && c < 0x3100)
    return kHanScript; // kana
  if ((c >= 0xAC00 && c < 0xD7B0) || (c >= 0x1100 && c < 0x1200) || (c >= 0x3130 && c < 0x3190))
    return 5;                          // Hangul
  return 6 + static_cast<int>(c >> 7); // the others by their block
}

bool IsCjk(Kind kind) { return kind == Kind::Han || kind == Kind::HanMark; }
bool IsLatin(Kind kind) { return kind == Kind::Letter || kind == Kind::Accented; }

class Scorer {
public:
  Scorer(const ChineseModel& model, const ScriptModel& letters, ScoreOptions options)
      : m_model(model), m_letters(letters), m_options(options) {}

  double Cost(char32_t c) {
    const Class cls = Classify(c);
    double bits = cls.bits;
    const bool letter = IsLetter(c, cls.kind);
    switch (cls.kind) {
    case Kind::Han:
      bits = HanBits(c, cls.bits);
      if (m_prev == Kind::Letter || m_prev == Kind::Digit)
        bits += kScriptSwitchBits;
      if (IsLatin(m_prev))
        bits += kLoneHanBits; // paid back when a second Chinese character follows
      bits += SwitchTo(kHanScript);
      break;
    case Kind::Letter: {
      const bool upper = c <= 'Z';
      // After a letter beyond ASCII the word goes on in its language: É then q in Équateur.
      if (m_prevLetter >= 0x80 && !m_letters.unigram.empty()) {
        bits = LetterBits(c);
        m_prevUpper = upper;
        break;
      }
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
      // A capital after a small letter (cafÃ) is mojibake, not a word. Latin Extended-A does not
      // alternate capitals and small letters evenly (Ł is 0141, ż 017C): ask Unicode.
      const bool upper = u_isupper(static_cast<UChar32>(c)) != 0;
      const bool inWord = m_latinWord && IsLatin(m_prev) && (!upper || m_prevUpper);
      m_prevUpper = upper;
      bits = inWord ? kAccentedInWordBits : kAccentedOutsideBits;
      // The letter statistics know the common pairs of each language; the rule above bounds
      // what a language they hold little of (Polish źń) costs.
      if (!m_letters.unigram.empty())
        bits = letter ? std::min(bits, LetterBits(c)) : kUnseenLetterBits;
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
      if (!m_letters.unigram.empty() && c < 0x3000 && !letter)
        bits = kUnseenLetterBits;
      else if (letter)
        bits = std::min(bits, LetterBits(c));
      if (IsCjk(m_prev))
        bits += kForeignAmongHanBits;
      break;
    default:
      break;
    }
    if (letter)
      bits += SwitchTo(ScriptOf(c));
    m_prevLetter = letter ? c : U' ';
    // The quotation marks and dashes that Chinese shares with European typography (’ — …) are
    // no Chinese among letters; the CJK block's marks and full-width forms are.
    const bool cjk = cls.kind == Kind::Han || (cls.kind == Kind::HanMark && c >= 0x3000);
    if (cjk && m_loneHan)
      bits -= kLoneHanBits;
    else if (cjk && cls.kind == Kind::HanMark && IsLatin(m_prev))
      bits += kLoneHanBits; // 》 in l》ea
    // A Chinese character after a letter, and another letter at once after it: glued both ways.
    if (IsLatin(cls.kind) && m_loneHan)
      bits += kLoneHanBits;
    m_loneHan = cjk && IsLatin(m_prev);
    if (cls.kind != Kind::Mark && cls.kind != Kind::Sign && cls.kind != Kind::Symbol)
      m_markRun = 0;
    if (!IsLatin(cls.kind))
      m_latinWord = false;
    m_prevHan = cls.kind == Kind::Han ? c : 0;
    m_prev = cls.kind;
    return bits;
  }

private:
  // What passing to another script costs, and the script taken as the current one.
  double SwitchTo(int script) {
    const bool change = m_script != 0 && script != m_script;
    // Chinese next to Latin already pays kScriptSwitchBits; kana and Chinese among alphabets
    // pay half, the same for both, so that neither wins by its script alone.
    const bool han = script == kHanScript || m_script == kHanScript;
    m_script = script;
    return change ? (han ? kScriptChangeBits / 2 : kScriptChangeBits) : 0.0;
  }

  // Letters of any alphabet that the letter statistics saw; Chinese characters are not.
  bool IsLetter(char32_t c, Kind kind) const {
    if (kind == Kind::Han || c >= 0x10000 || m_letters.unigram.empty())
      return kind == Kind::Letter;
    return m_letters.unigram[c] != 0;
  }

  // A letter after the letter (or word boundary) before it, mixed with its own frequency.
  double LetterBits(char32_t c) const {
    const auto& p = Probabilities();
    // A word in capitals (ÇÖZÜNÜRLÜK, CAFÉ) is the same word in small letters, which is how the
    // statistics know it.
    char32_t first = m_prevLetter;
    double capitals = 0;
    if (u_isupper(static_cast<UChar32>(c)) && u_isupper(static_cast<UChar32>(first))) {
      const auto lower = static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
      if (lower < 0x10000 && m_letters.unigram[lower] != 0) {
        first = static_cast<char32_t>(u_tolower(static_cast<UChar32>(first)));
        c = lower;
        capitals = kCapitalRunBits;
      }
    }
    const int own = m_letters.unigram[c];
    const int pair = LetterPairCost(m_letters, first, c);
    double probability = 0.3 * p[static_cast<std::size_t>(own)];
    if (pair >= 0)
      probability += 0.7 * p[static_cast<std::size_t>(pair)];
    return own == 0 && pair < 0 ? kUnseenLetterBits : capitals - std::log2(probability);
  }

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
  const ScriptModel& m_letters;
  ScoreOptions m_options;
  char32_t m_prevLetter = U' '; // the letter before, or U+0020 for a word boundary
  int m_script = 0;             // the alphabet of the last letter, 0 before the first
  bool m_loneHan = false;       // the character before was Chinese, glued to a letter before it
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
  Scorer scorer(Model(), Letters(), options);
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
