#include "codec/chinese/pinyin.h"
#include "support/generate.h"
#include "support/text.h"
#include "text/charset.h"
#include "text/utf.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace kelvaro {
namespace {

using testing::GenerateGb2312Text;
using testing::U16;
using testing::U8;
using testing::Unescape;

struct Case {
  const char* in;
  const char* out;
};

// Heteronyms read by phrase, citation tones without sandhi, the neutral tone without a mark.
constexpr Case kToneMarks[] = {
    {"重庆", "chóng qìng"},
    {"重要", "zhòng yào"},
    {"银行", "yín háng"},
    {"行走", "xíng zǒu"},
    {"音乐", "yīn yuè"},
    {"快乐", "kuài lè"},
    {"长大", "zhǎng dà"},
    {"长城", "cháng chéng"},
    {"一个", "yī gè"},
    {"不是", "bù shì"},
    {"的", "de"},
    {"绿", "lǜ"},
    {"中文", "zhōng wén"},
    {"", ""},
    {"ASCII only", "ASCII only"},
};

// Polyphones that a reading character by character gets wrong, read by the word around them.
constexpr Case kPolyphonesInContext[] = {
    {"重启", "chóng qǐ"},
    {"弹出", "tán chū"},
    {"弹琴", "tán qín"},
    {"著名", "zhù míng"},
    {"着急", "zháo jí"},
    {"着陆", "zhuó lù"},
    {"干预", "gān yù"},
    {"何处", "hé chù"},
    {"罗马", "luó mǎ"},
    {"加勒比", "jiā lè bǐ"},
    {"一行代码", "yī háng dài mǎ"},
    {"行长", "háng zhǎng"},
    {"朝阳区", "cháo yáng qū"},
    {"蚌埠", "bèng bù"},
    {"六安", "lù ān"},
    {"还钱", "huán qián"},
    {"姓单", "xìng shàn"},
    {"姓曾", "xìng zēng"},
    // Phrases that overlap, where the longest first phrase (南京市长, 研究生, 成分) splits the text
    // wrongly and the likelier split reads it right.
    {"南京市长江大桥", "nán jīng shì cháng jiāng dà qiáo"},
    {"长春市长春药店", "cháng chūn shì cháng chūn yào diàn"},
    {"研究生命起源", "yán jiū shēng mìng qǐ yuán"},
    {"结合成分子时", "jié hé chéng fēn zǐ shí"},
};

TEST(Pinyin, ReadsPolyphonesByTheWord) {
  for (const Case& c : kPolyphonesInContext) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(U8(Pinyin(U16(c.in), PinyinStyle::ToneMarks)), c.out);
  }
}

// The senses of technical text: 行 a line where it is counted, ordered or placed, 重 again before
// the verbs of doing a thing over, a classifier after a number in digits; where the other sense is
// a word of its own, that word still wins.
constexpr Case kTechnicalSenses[] = {
    {"多行文本", "duō háng wén běn"},
    {"第十二行", "dì shí èr háng"},
    {"当前行号", "dāng qián háng hào"},
    {"删除行尾空格", "shān chú háng wěi kòng gé"},
    {"单行注释", "dān háng zhù shì"},
    {"删除空行", "shān chú kòng háng"},
    {"按行读取", "àn háng dú qǔ"},
    {"上次输入行", "shàng cì shū rù háng"},
    {"代码行为", "dài mǎ xíng wéi"},
    {"远端的名称", "yuǎn duān de míng chēng"},
    {"开头的行都将被忽略", "kāi tóu de háng dōu jiāng bèi hū lüè"},
    {"控制了当前进程", "kòng zhì le dāng qián jìn chéng"},
    {"包装载器", "bāo zhuāng zài qì"},
    {"重连", "chóng lián"},
    {"重绘窗口", "chóng huì chuāng kǒu"},
    {"第 3 行", "dì 3 háng"},
    {"共12行代码", "gòng 12 háng dài mǎ"},
    {"2重循环", "2 chóng xún huán"},
    {"7200转", "7200 zhuàn"},
    {"３行", "３ háng"},
    {"多行不义必自毙", "duō xíng bù yì bì zì bì"},
    {"单行道", "dān xíng dào"},
    {"一行人", "yī xíng rén"},
    {"重装备", "zhòng zhuāng bèi"},
    {"3个行人", "3 gè xíng rén"},
    {"执行3次", "zhí xíng 3 cì"},
    {"3,行走", "3,xíng zǒu"},
    {"3\n行走", "3\nxíng zǒu"},
};

TEST(Pinyin, ReadsTheSensesOfTechnicalText) {
  for (const Case& c : kTechnicalSenses) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(U8(Pinyin(Unescape(c.in), PinyinStyle::ToneMarks)), U8(Unescape(c.out)));
  }
  EXPECT_EQ(U8(Pinyin(u"第3行", PinyinStyle::ToneNumbers)), "di4 3 hang2");
  EXPECT_EQ(U8(Pinyin(u"第3行", PinyinStyle::Initials)), "d3h");
}

// A character on its own takes its most common reading there (得 de, 只 zhǐ, 应 yīng, 供 gōng, 地
// de after the word of an adverb), and the words around it still decide.
constexpr Case kOnTheirOwn[] = {
    {"他写得很好", "tā xiě de hěn hǎo"},
    {"受得了", "shòu de liǎo"},
    {"不得了", "bù dé liǎo"},
    {"你得去", "nǐ děi qù"},
    {"你得到了", "nǐ dé dào le"},
    {"我得了冠军", "wǒ dé le guàn jūn"},
    {"只需要", "zhǐ xū yào"},
    {"这只是", "zhè zhǐ shì"},
    {"这只猫", "zhè zhī māo"},
    {"3只", "3 zhī"},
    {"应使用", "yīng shǐ yòng"},
    {"相对应", "xiāng duì yìng"},
    {"仅供参考", "jǐn gōng cān kǎo"},
    {"仔细地检查", "zǐ xì de jiǎn chá"},
    {"一块地", "yī kuài dì"},
    {"我们的地", "wǒ men de dì"},
    {"地", "dì"},
    {"值为0", "zhí wéi 0"},
    {"列表为空", "liè biǎo wéi kōng"},
    {"因为空间不足", "yīn wèi kōng jiān bù zú"},
    {"为你", "wèi nǐ"},
    {"他长得很高", "tā zhǎng de hěn gāo"},
    {"种了一棵树", "zhòng le yī kē shù"},
    {"这种下拉菜单", "zhè zhǒng xià lā cài dān"},
};

TEST(Pinyin, ReadsCharactersOnTheirOwn) {
  for (const Case& c : kOnTheirOwn) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(U8(Pinyin(U16(c.in), PinyinStyle::ToneMarks)), c.out);
  }
}

// A run of Han characters without punctuation far longer than the pieces the segmenter reads it
// in comes out whole: every syllable once, one blank between each two, across every cut.
TEST(Pinyin, ReadsLongRunsWhole) {
  std::u16string text = u"一";
  std::string expected = "yī";
  for (int k = 0; k < 5000; ++k) {
    text += u"中文";
    expected += " zhōng wén";
  }
  EXPECT_EQ(U8(Pinyin(text, PinyinStyle::ToneMarks)), expected);
}

// Every hanzi of GB2312 reads as exactly one syllable of lower-case letters and tone marks, alone
// and in a run of all of them.
TEST(Pinyin, EveryGb2312HanziHasOneSyllable) {
  auto isSyllable = [](std::u16string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char16_t u) {
      return (u >= u'a' && u <= u'z') || (u >= 0xC0 && u < 0x2B0) || (u >= 0x300 && u < 0x370) ||
             (u >= 0x1E00 && u < 0x1F00);
    });
  };
  std::string bytes;
  for (int lead = 0xB0; lead <= 0xF7; ++lead) {
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      if (lead == 0xD7 && trail >= 0xFA)
        break; // the five unassigned cells at the end of level 1
      bytes += {static_cast<char>(lead), static_cast<char>(trail)};
    }
  }
  const std::u16string hanzi = DecodeBytes(bytes, Charset::Gbk);
  ASSERT_EQ(hanzi.size(), 6763u);
  for (const char16_t c : hanzi) {
    const std::u16string one = Pinyin(std::u16string(1, c), PinyinStyle::ToneMarks);
    ASSERT_TRUE(isSyllable(one)) << U8(std::u16string(1, c)) << " " << U8(one);
  }
  const std::u16string all = Pinyin(hanzi, PinyinStyle::ToneMarks);
  EXPECT_EQ(static_cast<std::size_t>(std::count(all.begin(), all.end(), u' ')) + 1, hanzi.size());
}

TEST(Pinyin, ToneMarks) {
  for (const Case& c : kToneMarks) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(U8(Pinyin(U16(c.in), PinyinStyle::ToneMarks)), c.out);
  }
}

constexpr Case kToneNumbers[] = {
    {"重庆", "chong2 qing4"},
    {"银行", "yin2 hang2"},
    {"长城", "chang2 cheng2"},
    {"一个", "yi1 ge4"},
    {"的", "de"},
    {"绿", "lv4"},
    {"中文", "zhong1 wen2"},
    {"女儿", "nv3 er2"},
    {"我用Qt写代码", "wo3 yong4 Qt xie3 dai4 ma3"},
};

TEST(Pinyin, ToneNumbers) {
  for (const Case& c : kToneNumbers) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(U8(Pinyin(U16(c.in), PinyinStyle::ToneNumbers)), c.out);
  }
}

constexpr Case kInitials[] = {
    {"中文", "zw"},
    {"我用Qt写代码", "wyQtxdm"},
    {"重庆银行", "cqyh"},
    {"你好，世界。", "nh，sj。"},
    {"你好, 世界!", "nh, sj!"},
    {"中文\r\n汉字\n", "zw\r\nhz\n"},
    {"", ""},
};

TEST(Pinyin, Initials) {
  for (const Case& c : kInitials) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(U8(Pinyin(U16(c.in), PinyinStyle::Initials)), c.out);
  }
}

// One space between syllables and between a syllable and a letter or digit; punctuation, symbols
// and blanks copied with nothing around them; a combining mark kept with its syllable; line breaks
// copied with nothing added around them.
constexpr Case kLayout[] = {
    {"我用Qt写代码", "wǒ yòng Qt xiě dài mǎ"},
    {"你好，世界！", "nǐ hǎo，shì jiè！"},
    {"你好, 世界!", "nǐ hǎo, shì jiè!"},
    {"中 文", "zhōng wén"},
    {"中  文", "zhōng  wén"},
    {"中\t文", "zhōng\twén"},
    {"Qt中文", "Qt zhōng wén"},
    {"中文 Qt 5", "zhōng wén Qt 5"},
    {"第3章", "dì 3 zhāng"},
    {"(中)", "(zhōng)"},
    {"“中文”。", "“zhōng wén”。"},
    {"中-文", "zhōng-wén"},
    {"中\u0301文", "zhōng\u0301 wén"},
    {"中\u0301", "zhōng\u0301"},
    {"é中", "é zhōng"},
    {"中ｘ", "zhōng ｘ"},
    {"中\r\n文", "zhōng\r\nwén"},
    {"中\n\n文\n", "zhōng\n\nwén\n"},
    {"\r\n中", "\r\nzhōng"},
    {"a\nb", "a\nb"},
};

TEST(Pinyin, Layout) {
  for (const Case& c : kLayout) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(U8(Pinyin(Unescape(c.in), PinyinStyle::ToneMarks)), U8(Unescape(c.out)));
  }
  EXPECT_EQ(U8(Pinyin(u"你好，世界！", PinyinStyle::ToneNumbers)), "ni3 hao3，shi4 jie4！");
  EXPECT_EQ(U8(Pinyin(u"(中)文\u0301", PinyinStyle::Initials)), "(z)w\u0301");
}

constexpr Case kSyllableNumbers[] = {
    {"zhōng", "zhong1"}, {"wén", "wen2"},   {"lǚ", "lv3"}, {"lǜ", "lv4"},
    {"nǚ", "nv3"},       {"lüè", "lve4"},   {"de", "de"},  {"ḿ", "m2"},
    {"ňg", "ng3"},       {"ê\u0304", "ê1"}, {"ế", "ê2"},   {"m\u0300", "m4"},
};

TEST(Pinyin, ToneNumbersOfOneSyllable) {
  for (const Case& c : kSyllableNumbers) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(U8(PinyinToneNumbers(U16(c.in))), c.out);
  }
}

TEST(Pinyin, CharactersBeyondTheBasicPlane) {
  // U+20000, a Han character of the second plane, and lone surrogates, which are no character.
  const std::u16string text = u"\xD840\xDC00中\xD800\xDC00x\xDC00";
  const std::u16string marks = Pinyin(text, PinyinStyle::ToneMarks);
  EXPECT_NE(marks.find(u"zhōng"), std::u16string::npos);
  EXPECT_EQ(marks.find(u'\xD840'), std::u16string::npos) << U8(marks);
  EXPECT_NE(marks.find(u'\xDC00'), std::u16string::npos);
  EXPECT_EQ(Pinyin(u"\xD800", PinyinStyle::ToneMarks), u"\xD800");
}

// Each Han character gives one letter and every other unit is copied: the initials keep the
// length, and every line break stays where it was.
TEST(Pinyin, InitialsKeepEveryCharacterInPlace) {
  std::mt19937 random(16);
  for (int round = 0; round < 20; ++round) {
    const std::u16string text = GenerateGb2312Text(random, 2000);
    const std::u16string initials = Pinyin(text, PinyinStyle::Initials);
    ASSERT_EQ(initials.size(), text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] < 0x80)
        ASSERT_EQ(initials[i], text[i]) << i;
      else
        ASSERT_TRUE(initials[i] >= u'a' && initials[i] <= u'z') << U8(text.substr(i, 1));
    }
  }
}

// The tone numbers are the tone marks, syllable by syllable, and every line of the text is the
// same line of the result.
TEST(Pinyin, ToneNumbersFollowToneMarksLineByLine) {
  std::mt19937 random(61);
  for (int round = 0; round < 20; ++round) {
    const std::u16string text = GenerateGb2312Text(random, 2000);
    const std::u16string marks = Pinyin(text, PinyinStyle::ToneMarks);
    const std::u16string numbers = Pinyin(text, PinyinStyle::ToneNumbers);
    auto lines = [](std::u16string_view t) { return std::count(t.begin(), t.end(), u'\n'); };
    ASSERT_EQ(lines(marks), lines(text));
    // Syllables end at a blank, a line break or punctuation: every unit that is no letter of a
    // syllable with its tone marks.
    auto inSyllable = [](char16_t unit) {
      return (unit >= u'a' && unit <= u'z') || (unit >= 0xC0 && unit < 0x370) ||
             (unit >= 0x1E00 && unit < 0x1F00);
    };
    std::u16string expected;
    for (std::size_t start = 0; start < marks.size();) {
      std::size_t end = start;
      while (end < marks.size() && inSyllable(marks[end]))
        ++end;
      expected += PinyinToneNumbers(std::u16string_view(marks).substr(start, end - start));
      if (end < marks.size())
        expected.push_back(marks[end]);
      start = end + 1;
    }
    ASSERT_EQ(numbers, expected);
  }
}

// Any units at all, lone surrogates and characters of other planes among them: every line break
// is kept, and nothing but line breaks, syllables and the text's own units comes out.
TEST(Pinyin, ArbitraryUnitsKeepTheirLines) {
  std::mt19937 random(1616);
  const char16_t pool[] = {u'\r',     u'\n',     u' ',      u'a',      u'中',     u'行',
                           u'长',     u'\xD840', u'\xDC00', u'\xD83D', u'\xDE00', u'\u3007',
                           u'\uFFFF', u'，',     u'绿',     0};
  for (int round = 0; round < 200; ++round) {
    std::u16string text;
    const std::size_t length = random() % 64;
    for (std::size_t i = 0; i < length; ++i)
      text.push_back(random() % 4 == 0 ? static_cast<char16_t>(random())
                                       : pool[random() % std::size(pool)]);
    for (const PinyinStyle style :
         {PinyinStyle::ToneMarks, PinyinStyle::ToneNumbers, PinyinStyle::Initials}) {
      const std::u16string out = Pinyin(text, style);
      ASSERT_EQ(std::count(out.begin(), out.end(), u'\n'),
                std::count(text.begin(), text.end(), u'\n'));
      ASSERT_EQ(std::count(out.begin(), out.end(), u'\r'),
                std::count(text.begin(), text.end(), u'\r'));
    }
  }
}

// ---- agreement with a reference on real prose -------------------------------------------------
// Rows of tools/make_pinyin_table.py's `reference`: a sentence, then index:syllable for every
// character the reference reads (index in UTF-16 units).

struct Agreement {
  std::size_t syllables = 0;
  std::size_t agreeing = 0;
  double Percent() const { return syllables == 0 ? 0 : 100.0 * agreeing / syllables; }
};

// Adds to `agreement` how many of the reference's syllables of `sentence` ours agree with; the
// reference is index:syllable for every character it reads (index in UTF-16 units).
void AddAgreement(std::u16string_view sentence,
                  const std::vector<std::pair<std::size_t, std::u16string>>& reference,
                  Agreement& agreement) {
  // The runs of characters the reference reads, one a line, so that each output line holds a
  // run's syllables; the runs stay as long as in the sentence, so phrases match as they would.
  std::u16string runs;
  std::vector<std::size_t> runLengths;
  for (std::size_t k = 0; k < reference.size(); ++k) {
    const std::size_t index = reference[k].first;
    if (k == 0 || index != reference[k - 1].first + 1) {
      if (k != 0)
        runs.push_back(u'\n');
      runLengths.push_back(0);
    }
    runs.push_back(sentence[index]);
    ++runLengths.back();
  }
  const std::u16string ours = Pinyin(runs, PinyinStyle::ToneMarks);
  std::vector<std::u16string> syllables;
  std::size_t runIndex = 0;
  std::size_t start = 0;
  std::size_t k = 0;
  for (std::size_t end = 0; end <= ours.size(); ++end) {
    if (end < ours.size() && ours[end] != u' ' && ours[end] != u'\n')
      continue;
    syllables.push_back(ours.substr(start, end - start));
    start = end + 1;
    if (end == ours.size() || ours[end] == u'\n') {
      // A run whose syllables do not line up with its characters disagrees as a whole.
      const bool aligned = syllables.size() == runLengths[runIndex];
      for (std::size_t s = 0; s < runLengths[runIndex]; ++s, ++k) {
        ++agreement.syllables;
        agreement.agreeing += aligned && syllables[s] == reference[k].second ? 1 : 0;
      }
      syllables.clear();
      ++runIndex;
    }
  }
}

Agreement MeasureAgreement(const std::string& path) {
  std::ifstream file(path);
  EXPECT_TRUE(file) << path;
  Agreement agreement;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line.front() == '#')
      continue;
    const std::size_t tab = line.find('\t');
    std::vector<std::pair<std::size_t, std::u16string>> reference;
    std::istringstream cells(line.substr(tab + 1));
    for (std::string cell; cells >> cell;) {
      const std::size_t colon = cell.find(':');
      reference.emplace_back(std::stoul(cell.substr(0, colon)), U16(cell.substr(colon + 1)));
    }
    AddAgreement(Unescape(line.substr(0, tab)), reference, agreement);
  }
  return agreement;
}

// tests/cases/pinyin/prose_checked.tsv: a sentence, then the hand-checked syllables of its Han
// characters in order. Rows whose syllables do not match their characters in number are a fault
// of the file and count as nothing read.
Agreement MeasureHandCheckedProse() {
  std::ifstream file(std::string(KELVARO_CASES_DIR) + "/pinyin/prose_checked.tsv");
  EXPECT_TRUE(file);
  Agreement agreement;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line.front() == '#')
      continue;
    const std::size_t tab = line.find('\t');
    const std::u16string sentence = U16(line.substr(0, tab));
    std::istringstream cells(line.substr(tab + 1));
    std::vector<std::pair<std::size_t, std::u16string>> reference;
    std::string syllable;
    for (std::size_t i = 0; i < sentence.size(); ++i) {
      if (sentence[i] >= 0x3400 && sentence[i] <= 0x9FFF) {
        EXPECT_TRUE(cells >> syllable) << line;
        reference.emplace_back(i, U16(syllable));
      }
    }
    EXPECT_FALSE(cells >> syllable) << "more syllables than characters: " << line;
    AddAgreement(sentence, reference, agreement);
  }
  return agreement;
}

// A sample of jieba's example sentences (python-jieba-doc, MIT) read by pinyin-pro: 99.02 % of
// the syllables agree when this floor was set (99.19 % before 得 应 只 供 took their common
// readings on their own, 99.54 % with longest match on the smaller table, 98.96 % before it took
// pinyin-pro's data). Of the 17 syllables that disagree, 14 are the reference's misreadings:
// 南京市长江大桥 cháng, 长春市长春药店 cháng, 京都 dū, 切开 qiē, 工信处 chù, 马朝旭 cháo, 蒙人
// mēng, 倒置 dào, 分子 fēn, 的哥 dī, 少林 shào, 了吗 le, 供大家参考 gōng, 一般地 de; 应一些使用者的
// 建议 is yìng, where 应 on its own is yīng.
TEST(Pinyin, AgreesWithTheReferenceOnTheSample) {
  const Agreement agreement =
      MeasureAgreement(std::string(KELVARO_CASES_DIR) + "/pinyin/reference_sample.tsv");
  EXPECT_GT(agreement.syllables, 1500u);
  EXPECT_GE(agreement.Percent(), 98.95) << agreement.agreeing << " of " << agreement.syllables;
}

// ---- hand-checked readings ---------------------------------------------------------------------
// tests/cases/pinyin/hand_checked.tsv: polyphone words, surnames after 姓 and place names, each
// with its reading checked by hand; a text counts as right when every syllable is.

struct FamilyScore {
  std::size_t texts = 0;
  std::size_t right = 0;
  std::vector<std::string> wrong;
  double Percent() const { return texts == 0 ? 0 : 100.0 * right / texts; }
};

std::map<std::string, FamilyScore> ScoreHandChecked() {
  std::map<std::string, FamilyScore> families;
  for (const char* name :
       {"hand_checked.tsv", "held_out.tsv", "held_out_2.tsv", "held_out_3.tsv"}) {
    std::ifstream file(std::string(KELVARO_CASES_DIR) + "/pinyin/" + name);
    EXPECT_TRUE(file) << name;
    for (std::string line; std::getline(file, line);) {
      if (line.empty() || line.front() == '#')
        continue;
      const std::size_t tab1 = line.find('\t');
      const std::size_t tab2 = line.find('\t', tab1 + 1);
      const std::string text = line.substr(tab1 + 1, tab2 - tab1 - 1);
      const std::string expected = line.substr(tab2 + 1);
      const std::string ours = U8(Pinyin(U16(text), PinyinStyle::ToneMarks));
      FamilyScore& family = families[line.substr(0, tab1)];
      ++family.texts;
      if (ours == expected)
        ++family.right;
      else
        family.wrong.push_back(text + " " + ours + " (" + expected + ")");
    }
  }
  return families;
}

// The floors are the figures when they were set, less a text or two: 388 of 389 polyphone words
// (99.7 %; 373 before the table took the words' frequencies), 40 of 40 surnames, 62 of 62 place
// names and 272 of 281 held-out polyphone words (262 before). The first polyphone words were
// not looked at when the table was first made, but were measured while choosing how to merge the
// word list; the held-out ones (tests/cases/pinyin/held_out.tsv) were written before that and
// only ever scored. The surnames and place names were looked at after a first measure (35 of 40
// and 41 of 62 from the sources alone). The second held-out list (held_out_2.tsv, 428 words) was
// written and scored before the round of the technical senses (412 right), reached 424 without its
// misses being seen, and 426 once a few were mended from them; the third (held_out_3.tsv, 134
// words) was written after that round and only counted (133 right, before and after the few
// changes that followed; 132 with the table before).
TEST(Pinyin, ReadsHandCheckedWordsInContext) {
  const std::map<std::string, double> kFloors = {{"polyphone", 99.2},
                                                 {"surname", 97.0},
                                                 {"place", 98.0},
                                                 {"held-out polyphone", 96.0},
                                                 {"held-out polyphone 2", 99.0},
                                                 {"held-out polyphone 3", 98.5}};
  // Families whose misses are never shown, so that nobody tunes by them.
  const std::set<std::string> kSealed = {"held-out polyphone 3"};
  const auto families = ScoreHandChecked();
  for (const auto& [name, floor] : kFloors) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(families.contains(name));
    const FamilyScore& family = families.at(name);
    std::string wrong;
    for (const std::string& w : family.wrong)
      wrong += kSealed.contains(name) ? std::string() : "\n  " + w;
    EXPECT_GE(family.Percent(), floor) << family.right << " of " << family.texts << wrong;
    if (std::getenv("KELVARO_PINYIN_REFERENCE"))
      std::printf("%s: %zu of %zu right, %.2f %%%s\n", name.c_str(), family.right, family.texts,
                  family.Percent(), wrong.c_str());
  }
}

// The hand-checked prose was scored before the round of the technical senses (609 of 622
// syllables), reached 616 without its misses being seen and 618 once two were mended from them;
// three of the four left are the neutral tone the table writes in full (时候 hòu).
TEST(Pinyin, ReadsHandCheckedProse) {
  const Agreement agreement = MeasureHandCheckedProse();
  EXPECT_GT(agreement.syllables, 600u);
  EXPECT_GE(agreement.Percent(), 99.0) << agreement.agreeing << " of " << agreement.syllables;
  if (std::getenv("KELVARO_PINYIN_REFERENCE"))
    std::printf("hand-checked prose: %zu of %zu syllables right, %.2f %%\n", agreement.agreeing,
                agreement.syllables, agreement.Percent());
}

// KELVARO_PINYIN_REFERENCE=a.tsv:b.tsv (written by tools/make_pinyin_table.py reference) prints
// the agreement on each document.
TEST(PinyinMeasure, AgreementOnDocuments) {
  const char* paths = std::getenv("KELVARO_PINYIN_REFERENCE");
  if (!paths)
    GTEST_SKIP() << "set KELVARO_PINYIN_REFERENCE to measure";
  std::istringstream list(paths);
  for (std::string path; std::getline(list, path, ':');) {
    const Agreement agreement = MeasureAgreement(path);
    std::printf("%s: %zu of %zu syllables agree, %.3f %%\n", path.c_str(), agreement.agreeing,
                agreement.syllables, agreement.Percent());
  }
}

} // namespace
} // namespace kelvaro
