#include "support/text.h"
#include "text/utf.h"

#include <gtest/gtest.h>

namespace kelvaro {
namespace {

TEST(Utf, StrictDecodingRejectsAndLocatesIllFormedBytes) {
  struct Case {
    std::string_view bytes;
    std::size_t position;
  };
  const Case cases[] = {{"\xC0\x80", 0},       {"ab\xE0\x80\x80", 2},  {"\xED\xA0\x80", 0},
                        {"\xF4\x90\x80\x80", 0}, {"x\xE4\xB8", 1},       {"\xFF", 0},
                        {"\x80", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::U8(Utf8ToUtf16Lenient(c.bytes)));
    const auto decoded = Utf8ToUtf16(c.bytes);
    ASSERT_FALSE(decoded);
    EXPECT_EQ(decoded.error().code, ErrorCode::InvalidUtf8);
    EXPECT_EQ(decoded.error().position, c.position);
  }
}

TEST(Utf, WellFormedTextRoundTrips) {
  const std::u16string text = u"A中\r\n\U0001F600€\u0000z";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)).value(), text);
  EXPECT_EQ(Utf16ToUtf8(u"中"), "\xE4\xB8\xAD");
}

TEST(Utf, LoneSurrogatesAndBadSequencesBecomeReplacementCharacters) {
  EXPECT_EQ(Utf16ToUtf8(u"a\xD800" u"b\xDC00"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
  // One U+FFFD per maximal ill-formed subpart.
  EXPECT_EQ(Utf8ToUtf16Lenient("\xE4\xB8" "A\xFF"), u"\uFFFDA\uFFFD");
  EXPECT_EQ(Utf8ToUtf16Lenient("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
}

} // namespace
} // namespace kelvaro
