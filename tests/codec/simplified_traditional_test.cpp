#include "codec/chinese/simplified_traditional.h"
#include "registry/operations.h"
#include "support/generate.h"
#include "support/text.h"
#include "text/codepage.h"
#include "text/utf.h"

#include <gtest/gtest.h>
#include <opencc/SimpleConverter.hpp>
#include <random>

namespace kelvaro {
namespace {

using testing::GenerateGb2312Text;
using testing::U16;
using testing::U8;

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
    {"中\u0000國", "中"}, // the bytes up to the first zero byte
};

TEST(SimplifiedTraditional, ToSimplified) {
  for (const Case& c : kToSimplified) {
    SCOPED_TRACE(c.in);
    const auto out = TraditionalToSimplified(U16(c.in));
    ASSERT_TRUE(out);
    EXPECT_EQ(U8(*out), c.out);
  }
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

class SimplifiedTraditionalWithoutData : public ::testing::Test {
protected:
  void SetUp() override { UseOpenccDataDirectory("/nonexistent/opencc"); }
  void TearDown() override { UseOpenccDataDirectory(""); }
};

TEST_F(SimplifiedTraditionalWithoutData, RefusesAndKeepsTheBox) {
  EXPECT_FALSE(TraditionalToSimplified(u"國"));
  EXPECT_FALSE(SimplifiedToTraditional(u"国"));
  EXPECT_EQ(TraditionalToSimplified(u"國").error().code, ErrorCode::DataMissing);
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
  UseOpenccDataDirectory("");
  EXPECT_EQ(U8(*TraditionalToSimplified(u"國")), "国");
}

} // namespace
} // namespace kelvaro
