#include "codec/utf8/uri_component.h"
#include "support/generate.h"
#include "support/text.h"
#include "text/utf.h"

#include <gtest/gtest.h>
#include <random>
#include <string_view>

namespace kelvaro::testing {
namespace {

using namespace std::literals;

struct OracleCase {
  std::u16string_view in, out;
};

#include "uri_component_oracle.inc"

struct Case {
  std::u16string_view in, out;
};

TEST(UriComponentEncode, AgreesWithEncodeUriComponent) {
  for (const auto& c : kUriEncodes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(UriComponentEncode(c.in), c.out);
  }
}

TEST(UriComponentDecode, AgreesWithDecodeUriComponent) {
  for (const auto& c : kUriDecodes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(UriComponentDecode(c.in), c.out);
  }
}

// Where encodeURIComponent throws, the replacement character is written.
constexpr Case kLoneSurrogates[] = {
    {u"\xD800", u"%EF%BF%BD"},
    {u"a\xDC00z", u"a%EF%BF%BDz"},
    {u"\xDE00\xD83D", u"%EF%BF%BD%EF%BF%BD"},
    {u"\xD83D\xD83D\xDE00", u"%EF%BF%BD%F0%9F%98%80"},
};

TEST(UriComponentEncode, WritesReplacementCharacterForLoneSurrogate) {
  for (const auto& c : kLoneSurrogates) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(UriComponentEncode(c.in), c.out);
  }
}

// Where decodeURIComponent throws, the "%" stays and the reading goes on after it.
constexpr Case kMalformed[] = {
    {u"%", u"%"},
    {u"%E4%B8%41", u"%E4%B8A"},
    {u"%E4%B8%E4%B8%AD", u"%E4%B8中"},
    {u"%ED%A0%80", u"%ED%A0%80"},             // a surrogate
    {u"%C0%AF%E0%80%AF", u"%C0%AF%E0%80%AF"}, // overlong
    {u"%F4%90%80%80", u"%F4%90%80%80"},       // above U+10FFFF
    {u"%%41%4", u"%A%4"},
};

TEST(UriComponentDecode, KeepsPercentThatStartsNoCharacter) {
  for (const auto& c : kMalformed) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(UriComponentDecode(c.in), c.out);
  }
}

TEST(UriComponentDecode, LeavesHugeRunsOfEscapeStartsAsTheyAre) {
  for (const std::u16string_view unit : {u"%"sv, u"%E4%B8"sv, u"%F0%9F%98"sv, u"%4"sv}) {
    std::u16string text;
    while (text.size() < (1u << 20))
      text += unit;
    EXPECT_EQ(UriComponentDecode(text), text);
  }
}

// Any well-formed text: every "%" of it is escaped, so it always comes back.
TEST(UriComponentDecode, UndoesUriComponentEncode) {
  std::mt19937 random(15003);
  for (int round = 0; round < 2000; ++round) {
    std::u16string text = GenerateGb2312Text(random, random() % 100);
    for (std::size_t n = random() % 100; n > 0; --n) {
      const char32_t codePoint = random() % 2 ? random() % 0x80 : random() % 0x110000;
      if (codePoint < 0xD800 || codePoint > 0xDFFF)
        AppendCodePoint(text, codePoint);
    }
    SCOPED_TRACE(U8(text));
    ASSERT_EQ(UriComponentDecode(UriComponentEncode(text)), text);
  }
}

} // namespace
} // namespace kelvaro::testing
