#include "codec/utf8/url_encoding.h"
#include "support/text.h"

#include <gtest/gtest.h>
#include <random>

namespace kelvaro::testing {
namespace {

struct Case {
  std::u16string_view in, out;
};

constexpr Case kEncodes[] = {
    {u"", u""},           {u"A", u"A"},
    {u" ", u"%20"},       {u"中", u"%D6%D0"},
    {u"\r\n", u"\r\n"},   {u"a b中", u"a%20b%D6%D0"},
    {u"50%+1", u"50%+1"}, {u"ก", u"ก"},               // lacking from the code page: kept as itself
    {u"€", u"€"},                                     // single byte 0x80
    {u"&/?=", u"&/?="},   {u"　丂", u"%A1%A1%81%40"}, // ideographic space; the first GBK code
};

TEST(UrlEncode, EscapesDoubleByteCharactersAndSpaces) {
  for (const auto& c : kEncodes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(URLEncode(c.in), c.out);
  }
}

constexpr Case kDecodes[] = {
    {u"", u""},
    {u"%D6%D0", u"中"},
    {u"%d6%d0", u"中"},
    {u"a+b", u"a b"},
    {u"%41", u"A"},
    {u"%41%42", u"AB"},
    {u"a%20%D6%D0", u"a 中"},
    {u"%20%20", u"  "},
    {u"%2F%D6%D0", u"/中"},
    {u"%25%41", u"%A"},
    {u"%2541", u"%41"},
    {u"%2B", u"+"},
    {u"%2B+", u"+ "},
    {u"100% sure", u"100% sure"},
    {u"100%", u"100%"},
    {u"%4", u"%4"},
    {u"%D6", u"\xFFFD"},     // a lead byte alone
    {u"%D6%20", u"\xFFFD "}, // a pair that is no character
    {u"%D6%7F", u"\xFFFD\x7F"},
    {u"%D6%D", u"\xFFFD%D"},
    {u"%D6%D0%D0", u"中\xFFFD"},
    {u"%D6D0", u"\xFFFD"
               u"D0"},
    {u"%80", u"€"},
    {u"%81%40", u"丂"},
    {u"%%D6%D0", u"%中"},
};

TEST(UrlDecode, DecodesInOnePass) {
  for (const auto& c : kDecodes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(URLDecode(c.in), c.out);
  }
}

// U+F8F5 is the one character whose code is the single byte 0xFF. It came out as "%0%FF", a
// one-digit escape that the decoder read back as "%0" and U+F8F5.
TEST(UrlEncode, SingleByteFFStaysItself) {
  constexpr Case kCases[] = {
      {u"\xF8F5", u"\xF8F5"},
      {u"a\xF8F5中", u"a\xF8F5%D6%D0"},
      {u"中\xF8F5", u"%D6%D0\xF8F5"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(URLEncode(c.in), c.out);
    EXPECT_EQ(URLDecode(URLEncode(c.in)), c.in);
  }
}

// Any two escapes used to be paired, so %41%42 gave one character of the code 0x4142.
TEST(UrlDecode, PairsOnlyDoubleByteCharacters) {
  EXPECT_EQ(URLDecode(u"%41%42"), u"AB");
  EXPECT_EQ(URLDecode(URLEncode(u"a 中")), u"a 中");
  EXPECT_EQ(URLDecode(URLEncode(u"a  b")), u"a  b");
}

// Any code units with "%" and hexadecimal digits often, but no "+".
std::u16string AnyText(std::mt19937& random, std::size_t length) {
  constexpr std::u16string_view kOften = u"%%% \r\nD60Aa";
  std::u16string text;
  while (text.size() < length) {
    const char16_t unit = random() % 2 == 0 ? kOften[random() % kOften.size()]
                                            : static_cast<char16_t>(random() % 0x10000);
    if (unit != u'+')
      text.push_back(unit);
  }
  return text;
}

// The round trip holds for every text without "+" in which no "%" is followed by two hexadecimal
// digits, that is, for every such text that URLDecode leaves as it is; characters the code page
// lacks and lone surrogates included, since both functions keep them.
TEST(UrlDecode, UndoesUrlEncode) {
  std::mt19937 random(2052);
  int checked = 0;
  for (int round = 0; round < 2000; ++round) {
    const std::u16string text = AnyText(random, random() % 200);
    if (URLDecode(text) != text)
      continue;
    SCOPED_TRACE(U8(text));
    ASSERT_EQ(URLDecode(URLEncode(text)), text);
    ++checked;
  }
  EXPECT_GT(checked, 200);
}

} // namespace
} // namespace kelvaro::testing
