#include "support/text.h"
#include "text/utf.h"

#include <gtest/gtest.h>
#include <random>

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

} // namespace
} // namespace kelvaro
