#include "codec/chinese/opencc_config.h"
#include "codec/chinese/simplified_traditional.h"
#include "support/generate.h"
#include "support/text.h"
#include "text/codepage.h"
#include "text/utf.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
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

constexpr Case kToTraditional[] = {
    {"", ""},
    {"中国", "中國"},
    {"头发", "頭髮"},
    {"发展", "發展"},
    {"后台", "後臺"},
    {"ASCII 1+1=2\r\n", "ASCII 1+1=2\r\n"},
    {"中文ABC", "中文ABC"},
};

TEST(SimplifiedTraditional, ToTraditional) {
  for (const Case& c : kToTraditional) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(U8(SimplifiedToTraditional(U16(c.in))), c.out);
  }
}

// Reading the GBK bytes as BIG5 showed 笢弊 for 中国; the conversion is a real one now.
TEST(SimplifiedTraditional, ToTraditionalIsNoCodePageMisreading) {
  EXPECT_EQ(U8(SimplifiedToTraditional(u"中国")), "中國");
}

constexpr Case kToSimplified[] = {
    {"", ""},
    {"國", "国"},
    {"中國", "中国"},
    {"頭髮", "头发"},
    {"發展", "发展"},
    {"後臺", "后台"},
    {"简体中文", "简体中文"},
    {"ASCII\r\n", "ASCII\r\n"},
};

TEST(SimplifiedTraditional, ToSimplified) {
  for (const Case& c : kToSimplified) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(U8(TraditionalToSimplified(U16(c.in))), c.out);
  }
}

// The NUL must reach the code, so the text is sized: a C string would stop before it.
TEST(SimplifiedTraditional, ToSimplifiedStopsAtTheFirstZeroByte) {
  const std::u16string text(u"中\0國", 3);
  ASSERT_EQ(text.size(), 3u);
  EXPECT_EQ(U8(TraditionalToSimplified(text)), "中");
}

// ---- regional variants ------------------------------------------------------------------------

struct VariantCase {
  std::u16string (*convert)(std::u16string_view);
  const char* in;
  const char* out;
};

const VariantCase kVariantCases[] = {
    // Taiwan's words, not only its characters
    {SimplifiedToTaiwan, "软件", "軟體"},
    {SimplifiedToTaiwan, "鼠标", "滑鼠"},
    {SimplifiedToTaiwan, "信息", "資訊"},
    {SimplifiedToTaiwan, "打印机的内存", "印表機的記憶體"},
    {SimplifiedToTaiwan, "头发", "頭髮"},
    {SimplifiedToTaiwan, "里", "裡"},
    {SimplifiedToTaiwan, "", ""},
    {SimplifiedToTaiwan, "ASCII 1+1=2\r\n", "ASCII 1+1=2\r\n"},
    // Hong Kong's character forms, the mainland's words
    {SimplifiedToHongKong, "软件", "軟件"},
    {SimplifiedToHongKong, "里", "裏"},
    {SimplifiedToHongKong, "峰群", "峯羣"},
    {SimplifiedToHongKong, "网络", "網絡"},
    {SimplifiedToHongKong, "", ""},
    {TaiwanToSimplified, "軟體", "软件"},
    {TaiwanToSimplified, "滑鼠", "鼠标"},
    {TaiwanToSimplified, "資訊", "信息"},
    {TaiwanToSimplified, "印表機的記憶體", "打印机的内存"},
    {TaiwanToSimplified, "", ""},
    {HongKongToSimplified, "峯羣", "峰群"},
    {HongKongToSimplified, "綫", "线"},
    {HongKongToSimplified, "軟件", "软件"},
    {HongKongToSimplified, "軟體", "软体"},
    {HongKongToSimplified, "ASCII\n", "ASCII\n"},
    // Taiwan's character forms without its words, and back to the standard forms
    {SimplifiedToTaiwanCharacters, "软件", "軟件"},
    {SimplifiedToTaiwanCharacters, "里", "裡"},
    {SimplifiedToTaiwanCharacters, "着急", "著急"},
    {SimplifiedToTaiwanCharacters, "", ""},
    {TaiwanToTraditional, "裡", "裏"},
    {TaiwanToTraditional, "著急", "着急"},
    {TaiwanToTraditional, "著名", "著名"},
    {TaiwanToTraditional, "軟體", "軟體"},
    {TaiwanToTraditional, "ASCII\r\n", "ASCII\r\n"},
};

TEST(SimplifiedTraditional, RegionalVariants) {
  for (const VariantCase& c : kVariantCases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(U8(c.convert(Unescape(c.in))), c.out);
  }
}

// Real sentences, so that phrases of every stage meet: jieba's examples (the pinyin sample).
std::u16string SampleProse() {
  std::ifstream file(std::string(KELVARO_CASES_DIR) + "/pinyin/reference_sample.tsv");
  std::u16string prose;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.front() != '#')
      prose += Unescape(line.substr(0, line.find('\t'))) + u"\n";
  }
  return prose;
}

// Several threads may convert at once, and read a configuration on its first use together.
TEST(SimplifiedTraditional, ConvertsOnSeveralThreadsAtOnce) {
  const std::u16string text = SampleProse();
  // Configurations that no test before this one reads, so that the threads race to read them.
  const auto toHongKong = [](std::u16string_view s) {
    return *ConvertByConfiguration("s2hkp.json", s);
  };
  const auto fromHongKong = [](std::u16string_view s) {
    return *ConvertByConfiguration("hk2sp.json", s);
  };
  std::vector<std::u16string> hongKong(4), back(4);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < hongKong.size(); ++t) {
    threads.emplace_back([&, t] {
      hongKong[t] = toHongKong(text);
      back[t] = fromHongKong(hongKong[t]);
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  for (std::size_t t = 0; t < hongKong.size(); ++t) {
    EXPECT_EQ(hongKong[t], toHongKong(text));
    EXPECT_EQ(back[t], fromHongKong(hongKong[t]));
  }
}

// ---- a plain reference: the configurations read and run as they are written ------------------
//
// Every dictionary a std::map, every group matched by trying each length at each position, the
// segments cut and converted one after the other, nothing fused or skipped: the oracle that the
// tables and shortcuts of the converter are held to.
class ReferenceConverter {
public:
  explicit ReferenceConverter(std::string_view configuration)
      : m_configuration(opencc::ParseConfiguration(*opencc::ConfigurationText(configuration))) {}

  std::u16string Convert(std::u16string_view input) {
    std::u16string text(input);
    for (const opencc::DictionaryNode& step : m_configuration.normalization)
      text = ConvertSegment(step, text);
    std::vector<std::u16string> segments;
    if (!m_configuration.segmentation) {
      segments.push_back(text);
    } else {
      std::u16string run;
      for (std::size_t i = 0; i < text.size();) {
        const auto match = Match(*m_configuration.segmentation, text, i);
        if (!match) {
          run += text[i++];
          continue;
        }
        if (!run.empty())
          segments.push_back(std::exchange(run, u""));
        segments.push_back(text.substr(i, match->first));
        i += match->first;
      }
      if (!run.empty())
        segments.push_back(run);
    }
    for (const opencc::DictionaryNode& step : m_configuration.chain) {
      for (std::u16string& segment : segments)
        segment = ConvertSegment(step, segment);
    }
    std::u16string out;
    for (const std::u16string& segment : segments)
      out += segment;
    return out;
  }

private:
  using Match_ = std::optional<std::pair<std::size_t, std::u16string>>; // key length, default

  std::u16string ConvertSegment(const opencc::DictionaryNode& node, std::u16string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
      if (const auto match = Match(node, text, i)) {
        out += match->second;
        i += match->first;
      } else {
        out += text[i++];
      }
    }
    return out;
  }

  Match_ Match(const opencc::DictionaryNode& node, std::u16string_view text, std::size_t i) {
    if (node.members.empty()) {
      if (node.mayOutputTofu)
        return std::nullopt;
      const auto& [table, longest] = Table(node.file);
      for (std::size_t n = std::min(text.size() - i, longest); n > 0; --n) {
        if (const auto found = table.find(std::u16string(text.substr(i, n))); found != table.end())
          return std::pair{n, found->second};
      }
      return std::nullopt;
    }
    Match_ best;
    for (const opencc::DictionaryNode& member : node.members) {
      const auto match = Match(member, text, i);
      if (match && node.policy == opencc::MatchPolicy::ShortCircuit)
        return match;
      if (match && (!best || match->first > best->first))
        best = match;
    }
    return best;
  }

  using Table_ = std::pair<std::map<std::u16string, std::u16string>, std::size_t>; // and longest

  const Table_& Table(const std::string& file) {
    auto& [table, longest] = m_tables[file];
    if (!table.empty())
      return m_tables[file];
    std::istringstream lines{std::string(*opencc::DictionaryText(file))};
    for (std::string line; std::getline(lines, line);) {
      if (line.empty() || line[0] == '#')
        continue;
      const std::size_t tab = line.find('\t');
      const std::u16string key = U16(line.substr(0, tab));
      longest = std::max(longest, key.size());
      table.emplace(key, U16(line.substr(tab + 1, line.find(' ', tab) - tab - 1)));
    }
    return m_tables[file];
  }

  opencc::ConfigurationData m_configuration;
  std::map<std::string, Table_> m_tables;
};

// The reference is the oracle: every built-in configuration, on real prose, on generated text,
// and on what the forward conversions write (as a user would convert back), gives the same text.
TEST(SimplifiedTraditional, EveryConfigurationAgreesWithTheReference) {
  std::mt19937 random(2026);
  std::vector<std::u16string> texts = {SampleProse()};
  for (int round = 0; round < 3; ++round)
    texts.push_back(GenerateGb2312Text(random, 3000));
  // Compatibility ideographs, characters beyond the BMP, lone surrogates and a tofu-risk one.
  texts.push_back(u"\uF900\uF901頭\U0002F800髮 \U00020000\xD800后\xDC00台㑮");
  for (const std::u16string& simplified : std::vector(texts))
    texts.push_back(SimplifiedToTaiwan(simplified) + SimplifiedToHongKong(simplified));
  for (const std::string_view configuration : opencc::ConfigurationNames()) {
    SCOPED_TRACE(std::string(configuration));
    ReferenceConverter reference(configuration);
    for (const std::u16string& text : texts)
      ASSERT_EQ(U8(*ConvertByConfiguration(configuration, text)), U8(reference.Convert(text)));
  }
  EXPECT_FALSE(ConvertByConfiguration("nonexistent.json", u"中"));
}

// Where the length rule lets the whole conversion through, the two are one.
TEST(SimplifiedTraditional, ToSimplifiedAgreesWithTheReferenceWhereTheLengthAllows) {
  ReferenceConverter t2s("t2s.json");
  std::mt19937 random(2027);
  for (int round = 0; round < 10; ++round) {
    const std::u16string traditional = SimplifiedToTraditional(GenerateGb2312Text(random, 3000));
    const std::u16string expected = t2s.Convert(traditional);
    EXPECT_EQ(TraditionalToSimplifiedWhole(traditional), expected);
    if (ToAnsiBytes(expected).size() == ToAnsiBytes(traditional).size()) {
      ASSERT_EQ(U8(TraditionalToSimplified(traditional)), U8(expected));
    }
  }
}

// ---- the data ---------------------------------------------------------------------------------

// The entries of a built-in dictionary: key and first candidate.
std::vector<std::pair<std::u16string, std::u16string>> Entries(const std::string& file) {
  std::vector<std::pair<std::u16string, std::u16string>> entries;
  std::istringstream lines{std::string(*opencc::DictionaryText(file))};
  for (std::string line; std::getline(lines, line);) {
    const std::size_t tab = line.find('\t');
    if (line.empty() || line[0] == '#' || tab == std::string::npos)
      continue;
    entries.emplace_back(U16(line.substr(0, tab)),
                         U16(line.substr(tab + 1, line.find(' ', tab) - tab - 1)));
  }
  return entries;
}

// Every phrase of the dictionary that a configuration's only step tries first is converted, alone,
// to its first candidate: no entry is lost between the text form and the converter's tables, and
// the generated phrases take part in s2t's union.
TEST(SimplifiedTraditional, EveryPhraseConvertsAloneToItsFirstCandidate) {
  struct Coverage {
    const char* configuration;
    std::vector<const char*> files;
  };
  const Coverage coverage[] = {
      {"s2t.json", {"STPhrases", "STPhrases_GeneratedFromRegionalPhrases"}},
      {"t2s.json", {"TSPhrases"}},
      {"t2tw.json", {"TWVariantsPhrases"}},
      {"tw2t.json", {"TWVariantsRevPhrases", "TWVariantsRev"}},
      {"t2hk.json", {"HKVariantsPhrases"}},
      {"hk2t.json", {"HKVariantsRevPhrases", "HKVariantsRev"}},
  };
  const auto normalisation = Entries("CJK_Compatibility_Ideographs");
  for (const Coverage& c : coverage) {
    std::size_t checked = 0;
    for (const char* file : c.files) {
      for (const auto& [key, value] : Entries(file)) {
        // A key that holds a compatibility ideograph is normalised before it can match. (The
        // lambda takes a plain reference: clang 14 cannot capture a structured binding.)
        const auto& phrase = key;
        if (std::any_of(normalisation.begin(), normalisation.end(), [&phrase](const auto& entry) {
              return phrase.find(entry.first) != std::u16string::npos;
            }))
          continue;
        ASSERT_EQ(U8(*ConvertByConfiguration(c.configuration, key)), U8(value))
            << c.configuration << " " << file << " " << U8(key);
        ++checked;
      }
    }
    EXPECT_GT(checked, 10u) << c.configuration;
  }
}

// Compatibility ideographs are the unified ones before anything else happens (U+F9B5 is 例,
// U+F906 句, U+FA0C 兀), in every configuration.
TEST(SimplifiedTraditional, NormalisesCompatibilityIdeographs) {
  for (const std::string_view configuration : opencc::ConfigurationNames()) {
    SCOPED_TRACE(std::string(configuration));
    EXPECT_EQ(*ConvertByConfiguration(configuration, u"\uF9B5\uF906\uFA0C"),
              *ConvertByConfiguration(configuration, u"例句兀"));
  }
}

// t2s leaves out the dictionary of rare simplified forms that common fonts lack (a box, "tofu",
// where a reader expects a character): 㑮 has one, U+2B748, and stays 㑮.
TEST(SimplifiedTraditional, LeavesOutTheFormsThatMayShowAsBoxes) {
  EXPECT_EQ(TraditionalToSimplifiedWhole(u"㑮"), u"㑮");
  for (const auto& [key, value] : Entries("TSCharactersExt"))
    ASSERT_EQ(U8(TraditionalToSimplifiedWhole(key)), U8(key));
}

// ---- quality on real prose --------------------------------------------------------------------

// Each line of `text` that is simplified already (t2s leaves it as it is).
std::vector<std::u16string> SimplifiedLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.size(), text.find(u'\n', start));
    const std::u16string line(text.substr(start, end - start));
    if (TraditionalToSimplifiedWhole(line) == line)
      lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// The share of the Chinese characters of the lines that `convert` gives back at the same place;
// in a line whose length changed none are counted as kept.
double ShareKept(const std::vector<std::u16string>& lines,
                 const std::function<std::u16string(std::u16string_view)>& convert) {
  std::size_t han = 0, kept = 0;
  for (const std::u16string& line : lines) {
    const std::u16string back = convert(line);
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] < 0x3400 || line[i] > 0x9FFF)
        continue;
      ++han;
      kept += back.size() == line.size() && back[i] == line[i];
    }
  }
  return han == 0 ? 1.0 : static_cast<double>(kept) / static_cast<double>(han);
}

// Simplified prose to traditional and back gives the prose again, but for the characters that
// one traditional form serves for several simplified ones (乾 of 乾坤 and of 乾燥 for 干): a
// floor for each way there and back that the program offers, from what the data gives today
// (tools/measure_opencc_conversions.py measures the same on more text).
TEST(SimplifiedTraditional, RealProseComesBackThroughEveryConversion) {
  struct Trip {
    const char* name;
    std::u16string (*there)(std::u16string_view);
    std::u16string (*back)(std::u16string_view);
    double floor;
  };
  const Trip trips[] = {
      {"s2t, t2s", SimplifiedToTraditional, TraditionalToSimplifiedWhole, 0.999},
      // Taiwan's words come back as the mainland's synonyms where two of them meet in one
      // Taiwan word (默认 and 预设 both become 預設), and a phrase of the segmentation can take
      // a word's first character (的士 in 黑色的士 becomes 出租车).
      {"s2twp, tw2sp", SimplifiedToTaiwan, TaiwanToSimplified, 0.96},
      {"s2hk, hk2s", SimplifiedToHongKong, HongKongToSimplified, 0.999},
      {"s2tw, tw2t and t2s", SimplifiedToTaiwanCharacters,
       [](std::u16string_view text) {
         return TraditionalToSimplifiedWhole(TaiwanToTraditional(text));
       },
       0.999},
  };
  const std::vector<std::u16string> lines = SimplifiedLines(SampleProse());
  for (const Trip& trip : trips) {
    const double kept =
        ShareKept(lines, [&](std::u16string_view line) { return trip.back(trip.there(line)); });
    RecordProperty(trip.name, std::to_string(kept));
    EXPECT_GE(kept, trip.floor) << trip.name;
  }
}

} // namespace
} // namespace kelvaro
