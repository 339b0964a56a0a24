#include "codec/utf8/utf8_escape.h"
#include "support/text.h"
#include "text/utf.h"

#include <gtest/gtest.h>
#include <random>

namespace kelvaro::testing {
namespace {

struct Case {
  std::u16string_view in, out;
};

constexpr Case kEncodes[] = {
    {u"", u""},
    {u"A", u"A"},
    {u"a b", u"a b"},
    {u"中", u"%E4%B8%AD"},
    {u"\r\n", u"\r\n"},
    {u"©", u"%C2%A9"},
    {u"ก", u"%E0%B8%81"},
    {u"%+", u"%+"},
    {u"\x0080\x07FF\x0800\xFFFF", u"%C2%80%DF%BF%E0%A0%80%EF%BF%BF"},
    {u"\xD83D\xDE00", u"%F0%9F%98%80"}, // a pair is one character (it was two 3-byte groups)
    {u"\xDC00", u"%ED%B0%80"},           // a lone surrogate keeps the form of its own value
    {u"\xD83D\xD83D\xDE00", u"%ED%A0%BD%F0%9F%98%80"},
};

TEST(Utf8Encode, EscapesEveryNonAsciiCodeUnit) {
  for (const auto& c : kEncodes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(UTF8Encode(c.in), c.out);
  }
}

constexpr Case kDecodes[] = {
    {u"", u""},
    {u"%E4%B8%AD", u"中"},
    {u"%e4%b8%ad", u"中"},
    {u"%E4%b8%Ad", u"中"},
    {u"%C2%A9", u"©"},
    {u"%F0%9F%98%80", u"\xD83D\xDE00"},
    {u"%ED%A0%BD%ED%B8%80", u"\xD83D\xDE00"},
    {u"%F4%8F%BF%BF", u"\xDBFF\xDFFF"},
    {u"100%Exact %E4%B8%AD", u"100%Exact 中"},
    {u"x\r\n%E4%B8%AD", u"x\r\n中"},
    {u"%E0%81%81", u"%E0%81%81"},         // overlong
    {u"%C0%80 %C1%BF", u"%C0%80 %C1%BF"}, // overlong two-byte leads
    {u"%F0%8F%BF%BF", u"%F0%8F%BF%BF"},   // overlong four-byte form
    {u"%F4%90%80%80", u"%F4%90%80%80"},   // above U+10FFFF
    {u"%F5%80%80%80", u"%F5%80%80%80"},
    {u"%E4%B8%A", u"%E4%B8%A"},
    {u"%E4%B8%", u"%E4%B8%"},
    {u"%E4%B8%AD%41", u"中%41"},
    {u"%E4%41%AD", u"%E4%41%AD"},
    {u"%E4%B8%E4%B8%AD", u"%E4%B8中"},
    {u"%80%BF", u"%80%BF"}, // continuation bytes alone
    {u"%EZ%41%41", u"%EZ%41%41"},
    {u"%%C2%A9", u"%©"},
    {u"%C2%A9%C2%A9", u"©©"},
};

TEST(Utf8Decode, DecodesWellFormedSequencesOnly) {
  for (const auto& c : kDecodes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(UTF8Decode(c.in), c.out);
  }
}

// Decoding used to delete every carriage return of the text once one group was decoded.
TEST(Utf8Decode, KeepsCarriageReturns) {
  EXPECT_EQ(UTF8Decode(u"a\r\nb\r%E4%B8%AD\r\n"), u"a\r\nb\r中\r\n");
}

// Decoding used to stop for good at the first "%E" that began no group.
TEST(Utf8Decode, GoesOnPastPercentEThatBeginsNoGroup) {
  EXPECT_EQ(UTF8Decode(u"%E %E4%B8%AD %Ex"), u"%E 中 %Ex");
}

// Group positions used to be held in 16 bits, so nothing past the 32 767th character decoded.
TEST(Utf8Decode, DecodesFarIntoLongText) {
  const std::u16string text = std::u16string(100000, u'x') + u"%E4%B8%AD";
  EXPECT_EQ(UTF8Decode(text), std::u16string(100000, u'x') + u"中");
}

// Outside the surrogates, the encoding is the UTF-8 of the text with each non-ASCII byte escaped.
TEST(Utf8Encode, AgreesWithUtf8OfBasicPlaneText) {
  const std::u16string text = u"中文 © ก\r\n\x07FF\x0800\xFFFD";
  std::u16string expected;
  for (const char byte : Utf16ToUtf8(text)) {
    const auto b = static_cast<unsigned char>(byte);
    if (b < 0x80) {
      expected.push_back(b);
    } else {
      constexpr char16_t kHex[] = u"0123456789ABCDEF";
      expected += {u'%', kHex[b >> 4], kHex[b & 0xF]};
    }
  }
  EXPECT_EQ(UTF8Encode(text), expected);
}

// Any code units, lone surrogates included, and ASCII rich in "%" and hexadecimal digits.
std::u16string AnyText(std::mt19937& random, std::size_t length) {
  constexpr std::u16string_view kAscii = u"%%%%+ \r\n0123456789ABCDEFabcdefxyz";
  std::u16string text;
  while (text.size() < length) {
    switch (random() % 4) {
    case 0:
      text.push_back(static_cast<char16_t>(random() % 0x10000));
      break;
    case 1:
      text.push_back(static_cast<char16_t>(0x4E00 + random() % 0x5200));
      break;
    default:
      text.push_back(kAscii[random() % kAscii.size()]);
      break;
    }
  }
  return text;
}

// The round trip holds for every text in which no "%" begins an escaped well-formed sequence,
// that is, for every text that UTF8Decode leaves as it is.
TEST(Utf8Decode, UndoesUtf8Encode) {
  std::mt19937 random(65001);
  int checked = 0;
  for (int round = 0; round < 2000; ++round) {
    const std::u16string text = AnyText(random, random() % 200);
    if (UTF8Decode(text) != text)
      continue;
    SCOPED_TRACE(U8(text));
    ASSERT_EQ(UTF8Decode(UTF8Encode(text)), text);
    ++checked;
  }
  EXPECT_GT(checked, 1000);
}

} // namespace
} // namespace kelvaro::testing
