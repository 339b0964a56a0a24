#include "codec/escape/percent_u.h"
#include "support/text.h"
#include "text/codepage.h"

#include <gtest/gtest.h>
#include <random>

namespace kelvaro::testing {
namespace {

struct Case {
  std::u16string_view in, out;
};

constexpr Case kEscapes[] = {
    {u"", u""},
    {u"Abc", u"Abc"},
    {u"a b", u"a%20b"},
    {u"中", u"%u4E2D"},
    {u"中文", u"%u4E2D%u6587"},
    {u"\r\n", u"%0D%0A"},
    {u"x*y_z+1-2.3/4@", u"x*y_z+1-2.3/4@"},
    {u"100%", u"100%25"},
    {u"α", u"%u03B1"},
    {u"·", u"%u00B7"},
    {u"Ａ", u"%uFF21"},
    {u"€", u"%80"},               // the one single-byte character above ASCII
    {u"ก", u"%u0E01"},                  // lacking from the code page: kept as its unit
    {u"\xD83D\xDE00", u"%uD83D%uDE00"}, // each surrogate is lacking on its own
    {u"~!#$^&()=", u"%7E%21%23%24%5E%26%28%29%3D"},
};

TEST(VbsEscape, EscapesByCodePageCode) {
  for (const auto& c : kEscapes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(vbs_escape(c.in), c.out);
  }
}

constexpr Case kUnescapes[] = {
    {u"", u""},
    {u"no escapes", u"no escapes"},
    {u"%u4E2D%u6587", u"中文"},
    {u"%u4e2d", u"中"},
    {u"a%20b%0D%0A", u"a b\r\n"},
    {u"x%41y%41", u"xAyA"},
    {u"%2541", u"%41"},
    {u"%u002541", u"%41"},
    {u"100%", u"100%"},
    {u"%%41", u"%A"},
    {u"%G1", u"%G1"},
    {u"%U4E2D", u"%U4E2D"},
    {u"%uZZ41", u"%uZZ41"},
    {u"%u3B1", u"%u3B1"},
    {u"%u3B1x", u"%u3B1x"},
    {u"%u", u"%u"},
    {u"%4", u"%4"},
    {u"%u00B7%B7", u"·\xFFFD"}, // B7 alone is a lead byte of the code page
    {u"%80", u"€"},
    {u"%D6%D0", u"\xFFFD\xFFFD"}, // escaped bytes are never paired
    {u"%uD83D%uDE00", u"\xD83D\xDE00"},
    {{u"%00x", 4}, {u"\0x", 2}},
};

TEST(VbsUnescape, DecodesInOnePass) {
  for (const auto& c : kUnescapes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(vbs_unescape(c.in), c.out);
  }
}

// Replacing all occurrences and scanning again turned the escape of "%41" into "A".
TEST(VbsUnescape, DecodedPercentIsNotDecodedAgain) {
  EXPECT_EQ(vbs_escape(u"%41"), u"%2541");
  EXPECT_EQ(vbs_unescape(u"%2541"), u"%41");
  EXPECT_EQ(vbs_unescape(u"%25u4E2D"), u"%u4E2D");
}

// Any code unit the code page has, with the characters escapes are made of thrown in often.
std::u16string CodePageText(std::mt19937& random, std::size_t length) {
  constexpr std::u16string_view kOften = u"%u+ \r\n4E2D";
  std::u16string text;
  while (text.size() < length) {
    const char16_t unit = random() % 3 == 0 ? kOften[random() % kOften.size()]
                                            : static_cast<char16_t>(random() % 0x10000);
    if (IsInCodePage(unit))
      text.push_back(unit);
  }
  return text;
}

TEST(VbsUnescape, UndoesVbsEscapeOfCodePageText) {
  std::mt19937 random(936);
  for (int round = 0; round < 300; ++round) {
    const std::u16string text = CodePageText(random, random() % 200);
    SCOPED_TRACE(U8(text));
    ASSERT_EQ(vbs_unescape(vbs_escape(text)), text);
  }
}

} // namespace
} // namespace kelvaro::testing
