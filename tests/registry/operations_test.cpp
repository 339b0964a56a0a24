#include "registry/operations.h"
#include "support/text.h"
#include "text/utf.h"

#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sstream>

namespace kelvaro {
namespace {

TEST(Registry, EveryRowIsCompleteAndFoundByItsName) {
  std::set<std::string_view> names;
  for (const Operation& op : Operations()) {
    SCOPED_TRACE(std::string(op.cliName));
    EXPECT_TRUE(names.insert(op.cliName).second);
    EXPECT_FALSE(op.caption.empty());
    EXPECT_FALSE(op.description.empty());
    EXPECT_NE(op.run, nullptr);
    const auto found = FindOperation(op.cliName);
    ASSERT_TRUE(found) << op.cliName;
    EXPECT_EQ(&found->get(), &op);
    if (!op.inverseOf.empty()) {
      EXPECT_TRUE(FindOperation(op.inverseOf)) << op.inverseOf;
    }
  }
  EXPECT_FALSE(FindOperation("nothing"));
}

TEST(Registry, EveryErrorCodeAnOperationGivesHasItsOwnWords) {
  const ErrorCode codes[] = {ErrorCode::NotANumber,   ErrorCode::OutOfRange,
                             ErrorCode::NotAnAmount,
                             ErrorCode::HostNotFound, ErrorCode::NotAHostName,
                             ErrorCode::NothingRecognised,
                             ErrorCode::OutOfMemory,  ErrorCode::Internal};
  std::set<std::u16string> texts;
  for (const ErrorCode code : codes) {
    const Message message = MessageFor(code);
    EXPECT_FALSE(message.text.empty());
    EXPECT_TRUE(texts.insert(message.text).second) << static_cast<int>(code);
  }
  EXPECT_EQ(MessageFor(ErrorCode::HostNotFound).text, u"Kein Host gefunden.");
  EXPECT_EQ(MessageFor(ErrorCode::NothingRecognised).style, MessageStyle::StatusNote);
  EXPECT_EQ(MessageFor(ErrorCode::NotANumber).title, u"系统");
}

// Every operation is fuzzed: each belongs to one family of fuzz/families.txt.
TEST(Registry, EveryOperationHasAFuzzFamily) {
  std::ifstream families(std::string(KELVARO_SOURCE_DIR) + "/fuzz/families.txt");
  ASSERT_TRUE(families);
  std::multiset<std::string> fuzzed;
  for (std::string line; std::getline(families, line);) {
    if (line.empty() || line.front() == '#')
      continue;
    std::istringstream words(line.substr(line.find(':') + 1));
    for (std::string name; words >> name;) {
      EXPECT_TRUE(FindOperation(name)) << name;
      fuzzed.insert(name);
    }
  }
  for (const Operation& op : Operations())
    EXPECT_EQ(fuzzed.count(std::string(op.cliName)), 1u) << op.cliName;
}

Outcome Throw(std::u16string_view, const OperationOptions&) { throw std::runtime_error("boom"); }
Outcome ThrowBadAlloc(std::u16string_view, const OperationOptions&) { throw std::bad_alloc(); }

TEST(Registry, AnOperationThatThrowsIsRefusedNotPropagated) {
  const std::pair<OperationFunction, ErrorCode> cases[] = {{Throw, ErrorCode::Internal},
                                                           {ThrowBadAlloc, ErrorCode::OutOfMemory}};
  for (const auto& [run, code] : cases) {
    const Operation throwing{.cliName = "t", .caption = "t", .description = "t", .run = run};
    const Outcome outcome = RunOperation(throwing, u"x");
    EXPECT_TRUE(outcome.refused());
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(outcome.message->text, MessageFor(code).text);
    EXPECT_EQ(outcome.message->style, MessageStyle::Error);
  }
}

Outcome Echo(std::u16string_view input, const OperationOptions&) {
  return Outcome::Converted(std::u16string(input) + std::u16string(u"\u0E01\0tail", 6));
}

TEST(Registry, RunOnBoxTextAppliesTheBoxRuleToInputAndResult) {
  const Operation echo{.cliName = "echo", .caption = "e", .description = "e", .run = Echo};
  const std::u16string input(u"a\u0E01b\0cut", 8);
  const Outcome boxed = RunOnBoxText(echo, input, {});
  EXPECT_EQ(*boxed.text, u"a\u0E01b\u0E01");
  ASSERT_TRUE(boxed.inputCut && boxed.resultCut);
  EXPECT_EQ(boxed.inputCut->position, 4u);
  EXPECT_EQ(boxed.inputCut->notShown, 3u);
  EXPECT_EQ(boxed.resultCut->position, 5u);
  EXPECT_EQ(boxed.resultCut->notShown, 4u);
  EXPECT_EQ(boxed.questionMarks, 0u);
  // An operation that encodes its input gets "?" for what the charset lacks, and counts it.
  const Operation bytes{.cliName = "bytes", .encodesInput = true, .run = Echo};
  const Outcome encoded = RunOnBoxText(bytes, u"a\u0E01\U0001F600", {});
  EXPECT_EQ(*encoded.text, u"a???\u0E01");
  EXPECT_EQ(encoded.questionMarks, 2u);
  const Outcome raw = RunOnBoxText(echo, input, {}, BoxRule::Skip);
  EXPECT_EQ(*raw.text, input + std::u16string(u"\u0E01\0tail", 6));
}

} // namespace
} // namespace kelvaro

namespace kelvaro {
namespace {

// The UTF-8 that passes through as bytes gives, as UTF-8, what the same text gives decoded: the text
// path is the oracle, on texts with every kind of character, U+0000 among them.
TEST(Registry, RunOnBoxBytesAgreesWithRunOnBoxText) {
  std::mt19937 random(65001);
  constexpr std::u16string_view kPool = u"a中é\U0001F600\u0000\r\n €";
  const OperationOptions options{.charset = Charset::Utf8};
  std::size_t rows = 0;
  for (const Operation& operation : Operations()) {
    if (operation.runOnBytes == nullptr)
      continue;
    ++rows;
    SCOPED_TRACE(std::string(operation.cliName));
    for (int round = 0; round < 200; ++round) {
      std::u16string text;
      for (std::size_t n = random() % 12; n > 0; --n) {
        const std::size_t at = random() % kPool.size();
        text += kPool.substr(at, IsHighSurrogate(kPool[at]) ? 2 : IsLowSurrogate(kPool[at]) ? 0 : 1);
      }
      for (const BoxRule rule : {BoxRule::Apply, BoxRule::Skip}) {
        const Outcome viaText = RunOnBoxText(operation, text, options, rule);
        const BytesOutcome viaBytes = RunOnBoxBytes(operation, Utf16ToUtf8(text), options, rule);
        ASSERT_EQ(viaBytes.text.has_value(), viaText.text.has_value()) << testing::U8(text);
        if (viaText.text) {
          ASSERT_EQ(*viaBytes.text, Utf16ToUtf8(*viaText.text)) << testing::U8(text);
        }
        ASSERT_EQ(viaBytes.inputCut.has_value(), viaText.inputCut.has_value());
        if (viaText.inputCut) {
          EXPECT_EQ(viaBytes.inputCut->position, viaText.inputCut->position);
          EXPECT_EQ(viaBytes.inputCut->notShown, viaText.inputCut->notShown);
        }
      }
    }
  }
  EXPECT_GE(rows, 6u);
}

} // namespace
} // namespace kelvaro
