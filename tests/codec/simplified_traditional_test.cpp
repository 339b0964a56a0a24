#include "codec/chinese/simplified_traditional.h"
#include "registry/operations.h"
#include "support/generate.h"
#include "support/process.h"
#include "support/text.h"
#include "text/codepage.h"
#include "text/utf.h"

#include <fstream>
#include <gtest/gtest.h>
#include <opencc/SimpleConverter.hpp>
#include <random>
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
    const auto out = SimplifiedToTraditional(U16(c.in));
    ASSERT_TRUE(out);
    EXPECT_EQ(U8(*out), c.out);
  }
}

// Reading the GBK bytes as BIG5 showed 笢弊 for 中国; the conversion is a real one now.
TEST(SimplifiedTraditional, ToTraditionalIsNoCodePageMisreading) {
  EXPECT_EQ(U8(*SimplifiedToTraditional(u"中国")), "中國");
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
    const auto out = TraditionalToSimplified(U16(c.in));
    ASSERT_TRUE(out);
    EXPECT_EQ(U8(*out), c.out);
  }
}

// The NUL must reach the code, so the text is sized: a C string would stop before it.
TEST(SimplifiedTraditional, ToSimplifiedStopsAtTheFirstZeroByte) {
  const std::u16string text(u"中\0國", 3);
  ASSERT_EQ(text.size(), 3u);
  EXPECT_EQ(U8(*TraditionalToSimplified(text)), "中");
}

// OpenCC's own converter is the oracle: the same dictionaries must give the same text.
TEST(SimplifiedTraditional, AgreesWithOpenccOnGeneratedText) {
  const opencc::SimpleConverter s2t("s2t.json");
  const opencc::SimpleConverter t2s("t2s.json");
  std::mt19937 random(2026);
  for (int round = 0; round < 20; ++round) {
    const std::u16string simplified = GenerateGb2312Text(random, 3000);
    const std::string traditional = s2t.Convert(Utf16ToUtf8(simplified));
    ASSERT_EQ(Utf16ToUtf8(*SimplifiedToTraditional(simplified)), traditional);
    const std::u16string back = *TraditionalToSimplified(U16(traditional));
    const std::string expected = t2s.Convert(traditional);
    // Where OpenCC keeps the byte length in code page 936 the two agree exactly.
    if (ToAnsiBytes(U16(expected)).size() == ToAnsiBytes(U16(traditional)).size()) {
      ASSERT_EQ(Utf16ToUtf8(back), expected);
    }
  }
}

TEST(SimplifiedTraditional, ToSimplifiedKeepsTheByteLength) {
  std::mt19937 random(99);
  for (int round = 0; round < 20; ++round) {
    std::u16string text = *SimplifiedToTraditional(GenerateGb2312Text(random, 2000));
    for (char16_t& c : text) {
      if (!IsInCodePage(c))
        c = u'?';
    }
    const std::u16string out = *TraditionalToSimplified(text);
    ASSERT_EQ(ToAnsiBytes(out).size(), ToAnsiBytes(text).size());
  }
}

// ---- regional variants ------------------------------------------------------------------------

struct Variant {
  const char* name;
  const char* configuration;
  Result<std::u16string> (*convert)(std::u16string_view);
};

constexpr Variant kVariants[] = {
    {"SimplifiedToTaiwan", "s2twp.json", SimplifiedToTaiwan},
    {"SimplifiedToHongKong", "s2hk.json", SimplifiedToHongKong},
    {"TaiwanToSimplified", "tw2sp.json", TaiwanToSimplified},
    {"HongKongToSimplified", "hk2s.json", HongKongToSimplified},
};

struct VariantCase {
  Result<std::u16string> (*convert)(std::u16string_view);
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
};

TEST(SimplifiedTraditional, RegionalVariants) {
  for (const VariantCase& c : kVariantCases) {
    SCOPED_TRACE(c.in);
    const auto out = c.convert(Unescape(c.in));
    ASSERT_TRUE(out);
    EXPECT_EQ(*out, Unescape(c.out)) << U8(*out);
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

// OpenCC's own converter is the oracle: the same configurations must give the same text. The
// reverse conversions read the output of the forward ones, as a user would convert back.
TEST(SimplifiedTraditional, RegionalVariantsAgreeWithOpencc) {
  std::mt19937 random(2027);
  std::vector<std::u16string> texts = {SampleProse()};
  for (int round = 0; round < 10; ++round)
    texts.push_back(GenerateGb2312Text(random, 5000));
  const opencc::SimpleConverter s2twp("s2twp.json");
  const opencc::SimpleConverter s2hk("s2hk.json");
  for (const std::u16string& simplified : texts) {
    const std::string taiwan = s2twp.Convert(Utf16ToUtf8(simplified));
    const std::string hongKong = s2hk.Convert(Utf16ToUtf8(simplified));
    ASSERT_EQ(Utf16ToUtf8(*SimplifiedToTaiwan(simplified)), taiwan);
    ASSERT_EQ(Utf16ToUtf8(*SimplifiedToHongKong(simplified)), hongKong);
    const opencc::SimpleConverter tw2sp("tw2sp.json");
    const opencc::SimpleConverter hk2s("hk2s.json");
    ASSERT_EQ(Utf16ToUtf8(*TaiwanToSimplified(U16(taiwan))), tw2sp.Convert(taiwan));
    ASSERT_EQ(Utf16ToUtf8(*HongKongToSimplified(U16(hongKong))), hk2s.Convert(hongKong));
  }
}

// The `opencc` command itself on a larger text: the same bytes out.
TEST(SimplifiedTraditional, RegionalVariantsMatchTheOpenccCommand) {
  std::mt19937 random(2028);
  std::u16string simplified = SampleProse();
  simplified += GenerateGb2312Text(random, 100000);
  std::string previous;
  for (const Variant& v : kVariants) {
    SCOPED_TRACE(v.name);
    // The reverse conversions read what the forward one before them wrote.
    const std::string input = v.convert == TaiwanToSimplified || v.convert == HongKongToSimplified
                                  ? previous
                                  : Utf16ToUtf8(simplified);
    const testing::ProcessResult run =
        testing::RunProcess({"/usr/bin/opencc", "-c", v.configuration}, input);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const auto ours = v.convert(U16(input));
    ASSERT_TRUE(ours);
    ASSERT_EQ(Utf16ToUtf8(*ours), run.out);
    previous = run.out;
  }
}

// Several threads may convert at once, and read a configuration on its first use together.
TEST(SimplifiedTraditional, ConvertsOnSeveralThreadsAtOnce) {
  const std::u16string text = SampleProse();
  UseOpenccDataDirectory(""); // forgets what is read: the threads race to read it again
  std::vector<std::u16string> taiwan(4), back(4);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < taiwan.size(); ++t) {
    threads.emplace_back([&, t] {
      taiwan[t] = *SimplifiedToTaiwan(text);
      back[t] = *TaiwanToSimplified(taiwan[t]);
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  for (std::size_t t = 0; t < taiwan.size(); ++t) {
    EXPECT_EQ(taiwan[t], *SimplifiedToTaiwan(text));
    EXPECT_EQ(back[t], *TaiwanToSimplified(taiwan[t]));
  }
}

class SimplifiedTraditionalWithoutData : public ::testing::Test {
protected:
  void SetUp() override { UseOpenccDataDirectory("/nonexistent/opencc"); }
  void TearDown() override { UseOpenccDataDirectory(""); }
};

TEST_F(SimplifiedTraditionalWithoutData, RefusesAndKeepsTheBox) {
  EXPECT_FALSE(TraditionalToSimplified(u"國"));
  EXPECT_FALSE(SimplifiedToTraditional(u"国"));
  EXPECT_EQ(TraditionalToSimplified(u"國").error().code, ErrorCode::DataMissing);
  for (const Variant& v : kVariants) {
    const auto out = v.convert(u"软件");
    ASSERT_FALSE(out) << v.name;
    EXPECT_EQ(out.error().code, ErrorCode::DataMissing);
  }
  for (const char* name : {"to-simplified", "to-traditional"}) {
    const Outcome outcome = RunOperation(*FindOperation(name), u"国");
    EXPECT_TRUE(outcome.refused());
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(outcome.message->text, MessageFor(ErrorCode::DataMissing).text);
    EXPECT_NE(outcome.message->text.find(u"OpenCC"), std::u16string::npos);
    EXPECT_EQ(outcome.message->style, MessageStyle::Error);
  }
}

TEST_F(SimplifiedTraditionalWithoutData, LoadsOnceTheDataIsBack) {
  EXPECT_FALSE(TraditionalToSimplified(u"國"));
  EXPECT_FALSE(SimplifiedToTaiwan(u"软件"));
  UseOpenccDataDirectory("");
  EXPECT_EQ(U8(*TraditionalToSimplified(u"國")), "国");
  EXPECT_EQ(U8(*SimplifiedToTaiwan(u"软件")), "軟體");
}

} // namespace
} // namespace kelvaro
