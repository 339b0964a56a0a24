#include "codec/recognise/language_model.h"
#include "support/text.h"
#include "text/charset.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace kelvaro::testing {
namespace {

using recognise::ScoreOptions;
using recognise::ScoreText;

// A row of tests/cases/recognition/recognition_sample.tsv (tools/make_recognition_samples.py).
struct Sample {
  std::string kind, chain;
  bool lossless = false, isShort = false;
  std::u16string text, original;
};

std::vector<Sample> ReadSamples(const std::string& path) {
  std::vector<Sample> samples;
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line.front() == '#')
      continue;
    const std::vector<std::string> f = SplitTabs(line);
    if (f.size() < 6)
      continue;
    samples.push_back({f[0], f[1], f[2] == "yes", f[3] == "short", Unescape(f[4]), Unescape(f[5])});
  }
  return samples;
}

// "Reads better": the lower cost of the whole text, the measure that ranks the candidates one
// input decodes to.
double Bits(std::u16string_view text) { return ScoreText(text).TotalBits(); }

struct Pair {
  std::u16string_view original, garbled;
};

// Garbled forms made once with Python's codecs (tools/make_recognition_samples.py apply_chain);
// the chain is in the comment. Short ones, like file names, are the hard case.
constexpr Pair kGarbled[] = {
    {u"你好", u"浣犲ソ"},                                   // utf8-as-gbk
    {u"中文", u"ä¸\u00ADæ–‡"},                              // utf8-as-windows-1252
    {u"中文", u"ÖÐÎÄ"},                                     // gbk-as-latin1
    {u"定制", u"瀹氬埗"},                                   // utf8-as-gbk
    {u"文件", u"鏂囦欢"},                                   // utf8-as-gbk
    {u"音乐", u"闊充箰"},                                   // utf8-as-gbk
    {u"报告.doc", u"鎶ュ憡.doc"},                           // utf8-as-gbk
    {u"新建文件夹", u"æ–°å»ºæ–‡ä»¶å¤¹"},                    // utf8-as-windows-1252
    {u"照片.jpg", u"ÕÕÆ¬.jpg"},                             // gbk-as-windows-1252
    {u"会议记录", u"頗祜暮翹"},                             // gbk-as-big5
    {u"学习", u"悝炾"},                                     // gbk-as-big5
    {u"你们", u"斕蠅"},                                     // gbk-as-big5
    {u"說明書.txt", u"»¡©ú®Ñ.txt"},                         // big5-as-windows-1252
    {u"简历", u"ç®\u0080å\u008E\u0086"},                    // utf8-as-latin1
    {u"数据", u"é\u008F\u0081ç‰ˆåµ\u0081"},                 // utf8-as-gbk utf8-as-windows-1252
    {u"中文", u"Ã¤Â¸Â\u00ADÃ¦â€“â€¡"},                      // utf8-as-windows-1252 twice
    {u"项目计划", u"%E9%A1%B9%E7%9B%AE%E8%AE%A1%E5%88%92"}, // url-encode:utf8
    {u"音乐", u"%D2%F4%C0%D6"},                             // url-encode:gbk
    {u"项目计划", u"%u9879%u76EE%u8BA1%u5212"},             // escape
    {u"中文", u"\\u4e2d\\u6587"},                           // unicode-escape
    {u"中文", u"&#20013;&#25991;"},                         // html-encode
    {u"中文", u"5Lit5paH"},                                 // base64-encode:utf8
    {u"中文", u"D6D0CEC4"},                                 // hex-encode
    {u"今天天气很好，我们去公园散步吧。",
     u"浠婂ぉ澶╂皵寰堝ソ锛屾垜浠幓鍏洯鏁ｆ鍚с€\xFFFD"},         // lossy
    {u"繁體中文的測試句子", u"羉砰\uE1EFいゅ\uE0B7代刚\uE05F"}, // big5-as-gbk
};

TEST(ScoreText, RealTextReadsBetterThanItsGarbledForms) {
  for (const auto& c : kGarbled) {
    SCOPED_TRACE(U8(c.original) + " / " + U8(c.garbled));
    EXPECT_LT(Bits(c.original), Bits(c.garbled));
  }
}

TEST(ScoreText, SampleOriginalsReadBetterThanTheirGarbledForms) {
  const std::vector<Sample> samples =
      ReadSamples(std::string(KELVARO_CASES_DIR) + "/recognition/recognition_sample.tsv");
  ASSERT_GT(samples.size(), 200u);
  for (const Sample& s : samples) {
    if (s.kind != "garbled")
      continue;
    SCOPED_TRACE(s.chain + ": " + U8(s.original) + " / " + U8(s.text));
    EXPECT_LT(Bits(s.original), Bits(s.text));
  }
}

// Clean text of every kind reads as real text: a cost per character within the range of prose.
TEST(ScoreText, CleanTextIsPlausible) {
  constexpr std::u16string_view kClean[] = {
      u"The quick brown fox jumps over the lazy dog.",
      u"Permission is hereby granted, free of charge, to any person",
      u"if (count > 0) { return items[count - 1]; }",
      u"for i in range(len(words)):",
      u"/usr/share/doc/python3-jieba/copyright",
      u"C:\\Users\\Public\\Documents\\report.docx",
      u"2024-03-05 14:30:00",
      u"2024年3月5日",
      u"Café au lait, naïve façade, Straße",
      u"这是一个伸手不见五指的黑夜。",
      u"我爱Python和C++。",
      u"README.md",
      u"setup.py",
      u"报告.docx",
      u"中文",
      u"hello",
  };
  for (const std::u16string_view text : kClean) {
    SCOPED_TRACE(U8(text));
    EXPECT_LT(ScoreText(text).bitsPerCharacter, 10.0);
  }
  const std::vector<Sample> samples =
      ReadSamples(std::string(KELVARO_CASES_DIR) + "/recognition/recognition_sample.tsv");
  for (const Sample& s : samples) {
    if (s.kind == "garbled")
      continue;
    SCOPED_TRACE(s.kind + ": " + U8(s.text));
    EXPECT_LT(ScoreText(s.text).bitsPerCharacter, 11.0); // names cost more: 祝海林, 朱会震
  }
}

// Each of these costs more than any common Chinese character or English letter.
// Latin Extended-A does not alternate capitals and small letters evenly: ł ń ż ź ž are small
// letters inside a word, and a capital there costs more. IPA and the modifier letters belong to
// the Latin words they stand in (ʻ in Hawaiʻi).
TEST(ScoreText, ReadsTheLettersOfLatinExtendedByTheirCase) {
  using namespace std::string_view_literals;
  for (const auto& [small, capital] :
       {std::pair{u"należy"sv, u"naleŻy"sv}, {u"łódź"sv, u"łóDŹ"sv}, {u"kůň"sv, u"kůŇ"sv}}) {
    SCOPED_TRACE(U8(small));
    EXPECT_LT(Bits(small), Bits(capital));
  }
  EXPECT_LT(Bits(u"Hawai\u02BBi"), Bits(u"Hawai\u029Di"));
}

TEST(ScoreText, GarbageCharactersCostMore) {
  constexpr std::u16string_view kGarbage[] = {
      u"\xE000", u"\xFFFD", u"\x0085", u"\x0001", u"\x00AD",       u"\x2554",
      u"\xFF7C", u"\xD800", u"\xDC00", u"\x3400", u"\x00C3\x00A4",
  };
  const double han = ScoreText(u"的").bitsPerCharacter;
  const double letter = ScoreText(u"e").bitsPerCharacter;
  EXPECT_LT(letter, han);
  for (const std::u16string_view text : kGarbage) {
    SCOPED_TRACE(U8(text));
    EXPECT_GT(ScoreText(text).bitsPerCharacter, han + 4);
  }
}

TEST(ScoreText, AccentedLettersInsideWordsOnly) {
  EXPECT_LT(ScoreText(u"café").TotalBits(), ScoreText(u"cafÃ").TotalBits());
  EXPECT_LT(ScoreText(u"naïve").bitsPerCharacter, ScoreText(u"Ã¯ve").bitsPerCharacter);
}

TEST(ScoreText, CharacterPairsFavourWords) {
  for (const std::u16string_view word : {u"中国", u"北京", u"研究所", u"軟體", u"資訊"}) {
    SCOPED_TRACE(U8(word));
    EXPECT_LT(ScoreText(word).TotalBits(), ScoreText(word, {.characterPairs = false}).TotalBits());
  }
  // Not a word: the pair table has nothing to add.
  EXPECT_GT(ScoreText(u"国中").TotalBits(), ScoreText(u"中国").TotalBits());
}

TEST(ScoreText, EmptyTextHasNoCharacters) {
  const auto score = ScoreText(u"");
  EXPECT_EQ(score.characters, 0u);
  EXPECT_EQ(score.scored, 0u);
  EXPECT_EQ(score.TotalBits(), 0.0);
}

TEST(ScoreText, CountsCodePoints) {
  const auto score = ScoreText(u"a\xD840\xDC00"
                               u"b\xDC00\xD800");
  EXPECT_EQ(score.characters, 5u); // a, U+20000, b, two lone surrogates
  EXPECT_EQ(score.scored, 5u);
}

TEST(ScoreText, ReadsOnlyAPrefixOfLongText) {
  std::u16string sentence = u"这是一个伸手不见五指的黑夜。";
  std::u16string text;
  while (text.size() < 3 * recognise::kScoredPrefixUnits)
    text += sentence;
  const auto whole = ScoreText(text);
  const auto prefix = ScoreText(std::u16string_view(text).substr(0, recognise::kScoredPrefixUnits));
  EXPECT_EQ(whole.scored, recognise::kScoredPrefixUnits);
  EXPECT_EQ(whole.characters, text.size());
  EXPECT_DOUBLE_EQ(whole.bitsPerCharacter, prefix.bitsPerCharacter);
}

TEST(ScoreText, PrefixDoesNotSplitASurrogatePair) {
  std::u16string text(recognise::kScoredPrefixUnits - 1, u'a');
  text += u"\xD840\xDC00tail";
  const auto score = ScoreText(text);
  EXPECT_EQ(score.scored, recognise::kScoredPrefixUnits - 1);
  EXPECT_EQ(score.characters, text.size() - 1);
}

// ---- measuring a ranking over the full evaluation set -----------------------------------------
// KELVARO_RECOGNITION_SET=set.tsv KELVARO_RECOGNITION_CANDIDATES=candidates.tsv (both written by
// tools/make_recognition_samples.py --out --candidates) prints, per chain, how often the best
// candidate is the original, for several rankings, with and without the character pairs.

struct Candidate {
  int steps;
  std::u16string text;
};

enum class Rule { PerCharacter, Total, TotalAndSteps };

std::size_t Pick(const std::vector<Candidate>& candidates, Rule rule, ScoreOptions options) {
  std::size_t best = 0;
  double bestValue = 0;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const auto score = ScoreText(candidates[i].text, options);
    double value = 0;
    switch (rule) {
    case Rule::PerCharacter:
      value = score.bitsPerCharacter;
      break;
    case Rule::Total:
      value = score.TotalBits();
      break;
    case Rule::TotalAndSteps:
      value = score.TotalBits() + 4.0 * candidates[i].steps;
      break;
    }
    // Ties go to fewer steps.
    if (i == 0 || value < bestValue - 1e-9 ||
        (value < bestValue + 1e-9 && candidates[i].steps < candidates[best].steps)) {
      best = i;
      bestValue = value;
    }
  }
  return best;
}

TEST(LanguageModelMeasure, RankingOfTheEvaluationSet) {
  const char* setPath = std::getenv("KELVARO_RECOGNITION_SET");
  const char* candidatePath = std::getenv("KELVARO_RECOGNITION_CANDIDATES");
  if (!setPath || !candidatePath)
    GTEST_SKIP() << "set KELVARO_RECOGNITION_SET and KELVARO_RECOGNITION_CANDIDATES to measure";
  const std::vector<Sample> samples = ReadSamples(setPath);
  std::vector<std::vector<Candidate>> candidates(samples.size());
  std::ifstream file(candidatePath);
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line.front() == '#')
      continue;
    const std::vector<std::string> f = SplitTabs(line);
    const int steps =
        f[1].empty() ? 0 : 1 + static_cast<int>(std::count(f[1].begin(), f[1].end(), ','));
    candidates.at(std::stoul(f[0])).push_back({steps, Unescape(f[2])});
  }
  struct Tally {
    int right = 0, all = 0;
  };
  const std::pair<const char*, Rule> rules[] = {{"per-char", Rule::PerCharacter},
                                                {"total", Rule::Total},
                                                {"total+steps", Rule::TotalAndSteps}};
  {
    // How the texts of each kind score per character: clean ones against garbled ones.
    std::map<std::string, std::vector<double>> perKind;
    for (const Sample& s : samples) {
      const std::string key = s.kind == "garbled" ? s.chain.substr(0, s.chain.find(',')) : s.kind;
      perKind[key + (s.isShort ? " short" : "")].push_back(ScoreText(s.text).bitsPerCharacter);
    }
    for (auto& [kind, bits] : perKind) {
      std::sort(bits.begin(), bits.end());
      std::printf("  %-28s bits/char min %5.1f  5%% %5.1f  median %5.1f  95%% %5.1f  max %5.1f\n",
                  kind.c_str(), bits.front(), bits[bits.size() / 20], bits[bits.size() / 2],
                  bits[bits.size() * 19 / 20], bits.back());
    }
  }
  for (const bool pairs : {false, true}) {
    for (const auto& [ruleName, rule] : rules) {
      std::map<std::string, Tally> byChain;
      Tally all, shortOnes, longOnes, clean;
      int narrow = 0, middle = 0, wide = 0;
      double shortMargin = 0, longMargin = 0;
      for (std::size_t i = 0; i < samples.size(); ++i) {
        const Sample& s = samples[i];
        if (!s.lossless || candidates[i].empty())
          continue;
        const auto best = Pick(candidates[i], rule, {.characterPairs = pairs});
        const bool right = candidates[i][best].text == s.original;
        if (!right && pairs && rule == Rule::TotalAndSteps && s.kind == "garbled")
          std::printf("  missed %s: %s -> %s\n", s.chain.c_str(), U8(s.original).c_str(),
                      U8(candidates[i][best].text).c_str());
        if (rule == Rule::Total && s.kind == "garbled") {
          // The margin of the original over its nearest rival, in bits.
          double own = 0, rival = 1e9;
          for (const Candidate& c : candidates[i]) {
            const double bits = ScoreText(c.text, {.characterPairs = pairs}).TotalBits();
            if (c.text == s.original)
              own = bits;
            else
              rival = std::min(rival, bits);
          }
          const double margin = rival - own;
          (margin < 5 ? narrow : margin < 15 ? middle : wide) += 1;
          (s.isShort ? shortMargin : longMargin) += std::min(margin, 100.0);
        }
        if (s.kind != "garbled") {
          ++clean.all;
          clean.right += right;
          if (!right && pairs && rule != Rule::PerCharacter)
            std::printf("  false repair: %s -> %s\n", U8(s.text).c_str(),
                        U8(candidates[i][best].text).c_str());
          continue;
        }
        for (Tally* t :
             {&byChain[s.chain], &all, s.original.size() >= 12 ? &longOnes : &shortOnes}) {
          ++t->all;
          t->right += right;
        }
      }
      std::printf("pairs=%d %-12s all %5.1f%% (%d)  >=12 chars %5.1f%%  shorter %5.1f%%  "
                  "clean kept %5.1f%% (%d)\n",
                  pairs, ruleName, 100.0 * all.right / all.all, all.all,
                  100.0 * longOnes.right / longOnes.all, 100.0 * shortOnes.right / shortOnes.all,
                  100.0 * clean.right / clean.all, clean.all);
      if (rule == Rule::Total)
        std::printf("    margins: <5 bits %d, 5..15 %d, >15 %d; mean (capped at 100) short %.1f, "
                    "sentences %.1f\n",
                    narrow, middle, wide, shortMargin / (shortOnes.all),
                    longMargin / (all.all - shortOnes.all));
      if (pairs && rule == Rule::TotalAndSteps) {
        for (const auto& [chain, t] : byChain)
          std::printf("    %-60s %5.1f%% of %d\n", chain.c_str(), 100.0 * t.right / t.all, t.all);
      }
    }
  }
}

// Clean text in every script the charsets serve costs less than each misreading of its UTF-8, GBK
// or BIG5 bytes that a charset reads without loss, give or take the four bits a recognised step
// costs on top: the letters of every alphabet are known, and a Chinese reading of a European word
// pays for the script it breaks into.
TEST(ScoreText, CleanTextOfEveryScriptReadsBetterThanItsMisreadings) {
  constexpr std::u16string_view kClean[] = {
      u"Erreur de la fonction « pull ».",
      u"Équateur",
      u"Straße und Gärten",
      u"Zażółć gęślą jaźń",
      u"Příliš žluťoučký kůň",
      u"Árvíztűrő tükörfúrógép",
      u"Türkçe ÇÖZÜNÜRLÜK",
      u"Lietuvių kalba",
      u"Привет, как дела?",
      u"Ελληνικά γράμματα",
      u"日本語のテキスト",
      u"한국어 텍스트",
      u"CAFÉ® latte",
      u"Tickets 3×£20 each",
      u"中文的句子，没有问题。",
  };
  const Charset kCharsets[] = {Charset::Utf8,        Charset::Gbk,         Charset::Big5,
                               Charset::ShiftJis,    Charset::EucKr,       Charset::Windows1252,
                               Charset::Windows1250, Charset::Windows1251, Charset::Windows1253,
                               Charset::Windows1254, Charset::Windows1257, Charset::Iso8859_2,
                               Charset::Macintosh,   Charset::Cp437};
  int compared = 0;
  for (const std::u16string_view clean : kClean) {
    const double cleanBits = ScoreText(clean).TotalBits();
    for (const Charset written : {Charset::Utf8, Charset::Gbk, Charset::Big5}) {
      for (const Charset read : kCharsets) {
        const std::string bytes = EncodeText(clean, written);
        const Result<std::u16string> back = DecodeBytesStrictly(bytes, written);
        if (written == read || !back || *back != clean)
          continue; // the charset lacks a character of the text
        const Result<std::u16string> misread = DecodeBytesStrictly(bytes, read);
        if (!misread || *misread == clean)
          continue;
        SCOPED_TRACE(U8(clean) + " written in " + std::string(InfoOf(written).name) + ", read as " +
                     std::string(InfoOf(read).name) + ": " + U8(*misread));
        EXPECT_LT(cleanBits, ScoreText(*misread).TotalBits() + 4.0);
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 60);
}

} // namespace
} // namespace kelvaro::testing
