#include "codec/text-encodings/base64.h"
#include "codec/text-encodings/base64_steps.h"
#include "support/generate.h"
#include "support/text.h"
#include "text/box_rule.h"
#include "text/codepage.h"

#include <gtest/gtest.h>
#include <random>

namespace kelvaro {
namespace {

using namespace std::string_view_literals;
using testing::GenerateGb2312Text;
using testing::U8;

// A straightforward bit-accumulating encoder, as a second opinion on the grouped one.
std::u16string ReferenceBase64(std::string_view bytes) {
  constexpr std::u16string_view alphabet =
      u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::u16string out;
  unsigned bits = 0;
  int count = 0;
  for (const char c : bytes) {
    bits = bits << 8 | static_cast<unsigned char>(c);
    count += 8;
    while (count >= 6) {
      count -= 6;
      out.push_back(alphabet[bits >> count & 0x3F]);
    }
  }
  if (count > 0)
    out.push_back(alphabet[bits << (6 - count) & 0x3F]);
  while (out.size() % 4 != 0)
    out.push_back(u'=');
  return out;
}

struct Case {
  std::u16string_view in, out;
};

const Case kEncodes[] = {
    {u"A", u"QQ=="},
    {u" ", u"IA=="},
    {u"中", u"1tA="},
    {u"\r\n", u"DQo="},
    {u"abc", u"YWJj"},
    {u"中文", u"1tDOxA=="},
    {u"", u""},
    {u"ก", u"Pw=="}, // a character code page 936 lacks is "?"
    // RFC 4648, section 10
    {u"f", u"Zg=="},
    {u"fo", u"Zm8="},
    {u"foo", u"Zm9v"},
    {u"foob", u"Zm9vYg=="},
    {u"fooba", u"Zm9vYmE="},
    {u"foobar", u"Zm9vYmFy"},
};

TEST(Base64, EncodesCodePage936Bytes) {
  for (const auto& c : kEncodes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(Base64Encode(c.in), c.out);
  }
}

// Raw results: the bytes end with the last one the places before the first "=" fill.
const Case kDecodes[] = {
    {u"QQ==", u"A"},
    {u"1tA=", u"中"},
    {u"DQo=", u"\r\n"},
    {u"1tDOxA==", u"中文"},
    {u"QUJD", u"ABC"},
    {u"QQ", u"A"}, // one short group decodes as if padded
    {u"", u""},
    {u"QUJDR", u"ABC"},      // a lone final byte is ignored
    {u"QUJDREU", u"ABCDE"},  // missing places of a short last group are zero
    {u"QUJDRA", u"ABCD"},
    {u"QQ=A", u"A"},         // the first "=" ends the bytes
    {u"QU*D", u"A@\x03"},    // a byte outside the alphabet is zero bits
    {u"1g==", u"\uFFFD"},    // a lead byte D6 at the very end forms no character
    {u"QQA=", u"A\0"sv},     // a zero byte that was encoded stays
    {u"\t ", u""},
    {u"Zm9vYmFy", u"foobar"},
};

TEST(Base64, DecodesThroughCodePage936ExactlyTheEncodedBytes) {
  for (const auto& c : kDecodes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(Base64Decode(c.in), c.out);
  }
}

// The old decoder let a line break take two places of a group and shifted every later byte.
const Case kWrapped[] = {
    {u"QUJD\r\nREVG", u"ABCDEF"},
    {u"1tDO xA==", u"中文"},
    {u"Q\tU\nJ\rD", u"ABC"},
    {u"  QUJD  ", u"ABC"},
};

TEST(Base64, LineBreakNoLongerShiftsTheBytesAfterIt) {
  for (const auto& c : kWrapped) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(Base64Decode(c.in), c.out);
  }
}

TEST(Base64, GroupsFollowTheBitLayout) {
  using Chars = std::array<char16_t, 4>;
  using Bytes = std::array<std::uint8_t, 3>;
  EXPECT_EQ(Base64EncodeGroup({0xD6, 0xD0, 0x00}, 2), (Chars{u'1', u't', u'A', u'='}));
  EXPECT_EQ(Base64EncodeGroup({0x41, 0xFF, 0xFF}, 1), (Chars{u'Q', u'Q', u'=', u'='}));
  EXPECT_EQ(Base64EncodeGroup({0xFF, 0xFF, 0xFF}, 3), (Chars{u'/', u'/', u'/', u'/'}));
  EXPECT_EQ(Base64DecodeGroup({'1', 't', 'A', '='}), (Bytes{0xD6, 0xD0, 0x00}));
  EXPECT_EQ(Base64DecodeGroup({'+', '/', '+', '/'}), (Bytes{0xFB, 0xFF, 0xBF}));
  // A trail byte of a double-byte character is read as the byte it is.
  EXPECT_EQ(Base64DecodeGroup({0xD6, 0xD0, 0x81, 0x42}), (Bytes{0x00, 0x00, 0x01}));
}

TEST(Base64, AnsiPairsToTextReadsLeadBytesWithTheirNeighbour) {
  const struct {
    std::string_view bytes;
    std::u16string_view text;
  } cases[] = {
      {"A\0B"sv, u"A\0B"sv},
      {"\xD6\xD0\xCE\xC4", u"中文"},
      {"\x80"
       "A",
       u"€A"},
      {"\x80\xD6\xD0", u"€中"}, // 0x80 is a single byte, not the lead byte of a pair
      {"\xFF\xD6\xD0", u"\uF8F5中"},
      {"\xD6", u"\uFFFD"},      // a lead byte at the very end
      {"\xD6\x30", u"\uFFFD0"}, // a pair that forms no character
      {"", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(U8(c.text));
    EXPECT_EQ(AnsiPairsToText(c.bytes), c.text);
  }
}

TEST(Base64, EncodeAgreesWithReferenceOnGeneratedText) {
  std::mt19937 random(4);
  for (int round = 0; round < 200; ++round) {
    // Every tenth text is long enough to cross the encoder's internal steps of 2048 units.
    const std::u16string text = GenerateGb2312Text(random, random() % (round % 10 ? 40 : 6000));
    EXPECT_EQ(Base64Encode(text), ReferenceBase64(ToAnsiBytes(text))) << U8(text);
  }
}

// The bytes' encoder (eight groups a step where the processor has AVX2) and its form that takes
// its input in pieces, against the reference on every byte value, lengths around the steps' ends
// and pieces cut anywhere.
TEST(Base64, AsciiOfBytesWholeOrInPiecesAgreesWithReference) {
  std::mt19937 random(28);
  for (int round = 0; round < 600; ++round) {
    std::string bytes(round < 100 ? round : random() % 400, '\0');
    for (char& byte : bytes)
      byte = static_cast<char>(random());
    const std::u16string expected = ReferenceBase64(bytes);
    SCOPED_TRACE(bytes.size());
    ASSERT_EQ(Base64AsciiOfBytes(bytes), std::string(expected.begin(), expected.end()));
    Base64AsciiStream stream(random() % 2 ? bytes.size() : 0);
    for (std::size_t at = 0; at < bytes.size();) {
      const std::size_t piece = std::min<std::size_t>(bytes.size() - at, random() % 70);
      stream.Add(std::string_view(bytes).substr(at, piece));
      at += piece;
    }
    ASSERT_EQ(stream.Finish(), std::string(expected.begin(), expected.end()));
  }
}

TEST(Base64, DecodeOfEncodeGivesTheTextBack) {
  std::mt19937 random(41);
  for (int round = 0; round < 300; ++round) {
    const std::u16string text = GenerateGb2312Text(random, random() % (round % 10 ? 60 : 6000));
    SCOPED_TRACE(round);
    EXPECT_EQ(Base64Decode(Base64Encode(text)), text);
  }
}

TEST(Base64, EuroSignNoLongerGarblesTheTextAfterIt) {
  for (const std::u16string_view text : {u"€中文", u"价格€5", u"€", u"中€€文\uF8F5字"}) {
    SCOPED_TRACE(U8(text));
    EXPECT_EQ(ApplyTextBoxRule(Base64Decode(Base64Encode(text))), text);
  }
}

TEST(Base64, DecodesWrappedEncodingLikeUnwrapped) {
  std::mt19937 random(76);
  for (int round = 0; round < 100; ++round) {
    const std::u16string text = GenerateGb2312Text(random, 50 + random() % 200);
    const std::u16string encoded = Base64Encode(text);
    std::u16string wrapped;
    const std::size_t width = 1 + random() % 80;
    for (std::size_t i = 0; i < encoded.size(); i += width) {
      wrapped += encoded.substr(i, width);
      wrapped += round % 2 ? u"\r\n" : u"\n ";
    }
    SCOPED_TRACE(U8(wrapped));
    EXPECT_EQ(Base64Decode(wrapped), Base64Decode(encoded));
  }
}

TEST(Base64, HandlesTextFarPastTheOldSixteenBitLimits) {
  std::mt19937 random(100000);
  const std::u16string text = GenerateGb2312Text(random, 100000);
  const std::u16string encoded = Base64Encode(text);
  EXPECT_EQ(encoded.size(), (ToAnsiBytes(text).size() + 2) / 3 * 4);
  EXPECT_EQ(ApplyTextBoxRule(Base64Decode(encoded)), text);
}

TEST(Base64, DecodeNeverFailsOnArbitraryUnits) {
  std::mt19937 random(7);
  for (int round = 0; round < 500; ++round) {
    std::u16string junk(random() % 30, u'\0');
    for (char16_t& unit : junk)
      unit = static_cast<char16_t>(random());
    const std::u16string decoded = Base64Decode(junk);
    EXPECT_LE(decoded.size(), junk.size() * 2 + 1);
  }
}

} // namespace
} // namespace kelvaro

namespace kelvaro {
namespace {

// The decoder's reading of its byte buffer, against the code page read two bytes at a time.
TEST(AnsiPairsToText, ReadsALeadByteWithWhateverFollowsAsTheCodePageReadsThePair) {
  for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
    for (unsigned trail = 0; trail <= 0xFF; ++trail) {
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      std::u16string expected;
      if (UnitOfByte(static_cast<std::uint8_t>(lead)) == kLeadByte) {
        AppendAnsiCodeChars(expected, static_cast<std::uint16_t>(lead << 8 | trail));
      } else {
        AppendAnsiCodeChars(expected, static_cast<std::uint16_t>(lead));
        AppendAnsiCodeChars(expected, static_cast<std::uint16_t>(trail));
      }
      ASSERT_EQ(AnsiPairsToText(std::string_view(pair, 2)), expected) << lead << " " << trail;
    }
  }
}

} // namespace
} // namespace kelvaro

namespace kelvaro {
namespace {

// The decoder as the steps describe it, group by group over the text's GBK bytes: the oracle for
// Base64Decode's single pass over the code units.
std::u16string PlainBase64Decode(std::u16string_view text) {
  if (text.empty())
    return {};
  std::string places;
  for (const char byte : ToAnsiBytes(text)) {
    if (byte != ' ' && byte != '\t' && byte != '\r' && byte != '\n')
      places.push_back(byte);
  }
  std::string bytes;
  for (std::size_t i = 0; i + 1 < places.size(); i += 4) {
    std::array<std::uint8_t, 4> group{};
    for (std::size_t k = 0; k < 4 && i + k < places.size(); ++k)
      group[k] = static_cast<std::uint8_t>(places[i + k]);
    const auto three = Base64DecodeGroup(group);
    bytes.append(reinterpret_cast<const char*>(three.data()), 3);
  }
  // The bytes the places before the first "=" fill.
  bytes.resize(std::min(bytes.size(), std::min(places.find('='), places.size()) * 6 / 8));
  return AnsiPairsToText(bytes);
}

TEST(Base64Decode, AgreesWithTheGroupByGroupDecoderOnAnyText) {
  std::mt19937 random(4);
  constexpr std::u16string_view kPool = u"ABCxyz019+/= \t\r\n中€\u0E01?";
  for (int round = 0; round < 5000; ++round) {
    std::u16string text(random() % 24, u' ');
    for (char16_t& unit : text)
      unit = kPool[random() % kPool.size()];
    ASSERT_EQ(Base64Decode(text), PlainBase64Decode(text)) << testing::U8(text);
  }
}

} // namespace
} // namespace kelvaro
