#include "support/text.h"
#include "text/utf.h"
#include "text/utf8_validation.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <unicode/ustring.h>

namespace kelvaro {
namespace {

TEST(Utf, StrictDecodingRejectsAndLocatesIllFormedBytes) {
  struct Case {
    std::string_view bytes;
    std::size_t position;
  };
  const Case cases[] = {
      {"\xC0\x80", 0},  {"ab\xE0\x80\x80", 2}, {"\xED\xA0\x80", 0}, {"\xF4\x90\x80\x80", 0},
      {"x\xE4\xB8", 1}, {"\xFF", 0},           {"\x80", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::U8(Utf8ToUtf16Lenient(c.bytes)));
    const auto decoded = Utf8ToUtf16(c.bytes);
    ASSERT_FALSE(decoded);
    EXPECT_EQ(decoded.error().code, ErrorCode::InvalidUtf8);
    EXPECT_EQ(decoded.error().position, c.position);
  }
}

TEST(Utf, WellFormedTextRoundTrips) {
  // Sized, so that the NUL and what follows it reach the code.
  const std::u16string text(u"A中\r\n\U0001F600€\u0000z", 9);
  ASSERT_EQ(text.back(), u'z');
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)).value(), text);
  EXPECT_EQ(Utf16ToUtf8(u"中"), "\xE4\xB8\xAD");
}

TEST(Utf, LoneSurrogatesAndBadSequencesBecomeReplacementCharacters) {
  EXPECT_EQ(Utf16ToUtf8(u"a\xD800"
                        u"b\xDC00"),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
  // One U+FFFD per maximal ill-formed subpart.
  EXPECT_EQ(Utf8ToUtf16Lenient("\xE4\xB8"
                               "A\xFF"),
            u"\uFFFDA\uFFFD");
  EXPECT_EQ(Utf8ToUtf16Lenient("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
}

// The conversions take runs of ASCII eight at a time; every other unit at every offset of such a
// run must still come out as it went in.
TEST(Utf, RoundTripsAroundTheAsciiFastPaths) {
  std::mt19937 random(7);
  const std::u16string_view pieces[] = {u"a", u"Z", u"\u00E9", u"中", u"\U0001F600", u"\r\n"};
  for (int round = 0; round < 2000; ++round) {
    std::u16string text;
    const std::size_t length = random() % 40;
    for (std::size_t k = 0; k < length; ++k) {
      text += random() % 4 ? pieces[random() % 2] : pieces[2 + random() % 4];
    }
    SCOPED_TRACE(testing::U8(text));
    const std::string utf8 = Utf16ToUtf8(text);
    ASSERT_EQ(Utf8ToUtf16(utf8).value(), text);
    ASSERT_EQ(Utf8ToUtf16Lenient(utf8), text);
  }
}

// UTF-8 is written sixteen ASCII units at a time; ICU's converter, substituting lone surrogates, is
// the oracle, on texts whose pairs and lone surrogates fall at every offset around those runs.
TEST(Utf, WritesWhatIcuWritesAroundTheAsciiRuns) {
  std::mt19937 random(8);
  constexpr std::u16string_view kOthers = u"\u00E9中\xD83D\xDE00\xD800\xDFFF\u007F\u0080\uFFFF";
  for (int round = 0; round < 3000; ++round) {
    std::u16string text;
    const std::size_t length = random() % 120;
    while (text.size() < length) {
      text.append(random() % 40, static_cast<char16_t>(random() % 0x80));
      for (std::size_t n = random() % 3; n > 0; --n)
        text.push_back(kOthers[random() % kOthers.size()]);
    }
    for (const UChar32 substitute : {UChar32{0xFFFD}, UChar32{'?'}}) {
      std::string expected(4 * text.size() + 1, '\0');
      int32_t length8 = 0;
      UErrorCode status = U_ZERO_ERROR;
      u_strToUTF8WithSub(expected.data(), static_cast<int32_t>(expected.size()), &length8,
                         reinterpret_cast<const UChar*>(text.data()),
                         static_cast<int32_t>(text.size()), substitute, nullptr, &status);
      ASSERT_TRUE(U_SUCCESS(status));
      expected.resize(static_cast<std::size_t>(length8));
      std::string bytes = "x";
      AppendUtf16AsUtf8(bytes, text, static_cast<char32_t>(substitute));
      ASSERT_EQ(bytes, "x" + expected) << testing::U8(text);
    }
  }
}

} // namespace
} // namespace kelvaro

namespace kelvaro {
namespace {

// The validators that let UTF-8 pass through (a state machine, and a vector one where the processor
// has AVX2) and FirstInvalidUtf8, which places their error: the strict decoder is the oracle of
// all three, on bytes that hit every lead range, cut sequences and the edges of every stride.
TEST(Utf, Utf8ValidatorsAgreeWithTheStrictDecoder) {
  std::mt19937 random(3629);
  constexpr unsigned char kOften[] = {'a', 0x00, 0x7F, 0x80, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0,
                                      0xE4, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF, 0xA0, 0x9F, 0x8F,
                                      0x90, 0xB8, 0xAD};
  const std::string sample = Utf16ToUtf8(u"中文abcdefgh中😀ab¢文字abcdefghijklmnopqrstuvwxyz中文中文中文");
  for (int round = 0; round < 20000; ++round) {
    std::string bytes = sample + sample;
    bytes.resize(random() % bytes.size());
    for (std::size_t n = random() % 3; n > 0 && !bytes.empty(); --n)
      bytes[random() % bytes.size()] = static_cast<char>(kOften[random() % sizeof kOften]);
    const Result<std::u16string> strict = Utf8ToUtf16(bytes);
    for (const Utf8Validator validator : {Utf8Validator::StateMachine, Utf8Validator::Avx2}) {
      if (const std::optional<bool> valid = IsValidUtf8With(validator, bytes)) {
        ASSERT_EQ(*valid, strict.has_value()) << ::testing::PrintToString(bytes);
      }
    }
    const std::optional<std::size_t> bad = FirstInvalidUtf8(bytes);
    ASSERT_EQ(bad.has_value(), !strict.has_value()) << ::testing::PrintToString(bytes);
    if (bad) {
      ASSERT_EQ(*bad, strict.error().position) << ::testing::PrintToString(bytes);
    }
  }
}

// The counter against the decoder's own count, on lengths across several of its runs (255 bytes, or
// 255 steps of 32 where the processor has AVX2).
TEST(Utf, CountUtf8CharactersCountsWhatTheDecoderReads) {
  std::mt19937 random(255);
  const std::string sample = Utf16ToUtf8(u"a中😀é\r\nxyz文字");
  for (int round = 0; round < 300; ++round) {
    std::string bytes;
    for (std::size_t n = random() % (round % 20 != 0 ? 80 : 1500); n > 0; --n)
      bytes += sample.substr(0, random() % 4 == 0 ? sample.size() : 1);
    const std::u16string text = Utf8ToUtf16(bytes).value();
    const auto pairs =
        static_cast<std::size_t>(std::count_if(text.begin(), text.end(), IsHighSurrogate));
    ASSERT_EQ(CountUtf8Characters(bytes), text.size() - pairs) << bytes.size();
  }
}

// The unchecked reader against the checked one, on every character.
TEST(Utf, ReadingValidUtf8UncheckedGivesWhatTheCheckedReaderGives) {
  for (char32_t codePoint = 0; codePoint <= 0x10FFFF; ++codePoint) {
    if (IsSurrogate(codePoint))
      continue;
    unsigned char bytes[4];
    const auto size = static_cast<std::size_t>(WriteUtf8(bytes, codePoint) - bytes);
    const std::string_view view(reinterpret_cast<const char*>(bytes), size);
    const Utf8Character read = Utf8CharacterOfValidAt(view, 0);
    ASSERT_EQ(read.codePoint, codePoint);
    ASSERT_EQ(read.length, Utf8CharacterAt(view, 0)->length);
  }
}

} // namespace
} // namespace kelvaro
