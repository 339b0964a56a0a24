#include "codec/digest/md5.h"
#include "codec/digest/md5_steps.h"
#include "registry/operations.h"
#include "support/text.h"

#include <gtest/gtest.h>
#include <random>

namespace kelvaro::digest {
namespace {

using testing::U8;

// Through the registry rows of the two buttons, which choose the case by the "大写" box.
std::u16string Lower32(std::u16string_view text, bool upper = false) {
  return *RunOperation(*FindOperation("md5-32"), text, {.upper = upper}).text;
}

std::u16string Lower16(std::u16string_view text, bool upper = false) {
  return *RunOperation(*FindOperation("md5-16"), text, {.upper = upper}).text;
}

struct HexCase {
  std::u16string_view text;
  std::u16string_view hex32;
};

// RFC 1321, appendix A.5.
constexpr HexCase kRfc1321Suite[] = {
    {u"", u"d41d8cd98f00b204e9800998ecf8427e"},
    {u"a", u"0cc175b9c0f1b6a831c399e269772661"},
    {u"abc", u"900150983cd24fb0d6963f7d28e17f72"},
    {u"message digest", u"f96b697d7cb7938d525a2f31aaf161d0"},
    {u"abcdefghijklmnopqrstuvwxyz", u"c3fcd3d76192e4007dfb496cca67e13b"},
    {u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     u"d174ab98d277d9f5a5611c2c9f419d9f"},
    {u"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     u"57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5Hex, MatchesTheRfc1321Suite) {
  for (const auto& c : kRfc1321Suite) {
    SCOPED_TRACE(U8(c.text));
    EXPECT_EQ(Lower32(c.text), c.hex32);
  }
}

struct DigitsCase {
  std::u16string_view text;
  std::u16string_view hex32;
  std::u16string_view hex16;
};

constexpr DigitsCase kTextCases[] = {
    {u"", u"d41d8cd98f00b204e9800998ecf8427e", u"8f00b204e9800998"},
    {u"abc", u"900150983cd24fb0d6963f7d28e17f72", u"3cd24fb0d6963f7d"},
    {u"中", u"5301da37e5ffca1823a5cef67488d4bf", u"e5ffca1823a5cef6"},
    // Code page 936 lacks the Thai letter U+0E01: it enters as the low byte 01 of its code unit.
    {u"\u0E01", u"55a54008ad1ba589aa210d2629c1df41", u"ad1ba589aa210d26"},
    // The euro sign is the single code-page byte 80, yet enters as the low byte AC.
    {u"€", u"20a7f30fb9f8e145422b66b3d4f4da70", u"b9f8e145422b66b3"},
    {u"a\r\nb", u"65d5f03c46e62e3f2babbe712d2ce464", u"46e62e3f2babbe71"},
    {u"中文\r\n第二行", u"0989238d27949e4f58e462f4e4b4dcc7", u"27949e4f58e462f4"},
};

TEST(Md5Hex, GivesThirtyTwoOrSixteenDigitsOfTheCodePageBytes) {
  for (const auto& c : kTextCases) {
    SCOPED_TRACE(U8(c.text));
    EXPECT_EQ(Lower32(c.text), c.hex32);
    EXPECT_EQ(Lower16(c.text), c.hex16);
    EXPECT_EQ(Lower32(c.text).substr(8, 16), Lower16(c.text));
  }
}

TEST(Md5Hex, IsUpperCaseAndOperationsFollowTheUpperOption) {
  EXPECT_EQ(Md5Hex(u"abc", 32), u"900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(Md5Hex(u"abc", 16), u"3CD24FB0D6963F7D");
  EXPECT_EQ(Lower32(u"abc", true), u"900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(Lower16(u"abc", true), u"3CD24FB0D6963F7D");
  EXPECT_EQ(Lower16(u"abc", false), u"3cd24fb0d6963f7d");
}

TEST(Md5Hex, AnyDigitCountOtherThanThirtyTwoGivesSixteen) {
  for (const std::int32_t digits : {16, 0, 8, 31, 33, 64, -32, INT32_MIN, INT32_MAX}) {
    SCOPED_TRACE(digits);
    EXPECT_EQ(Md5Hex(u"abc", digits), u"3CD24FB0D6963F7D");
  }
}

// Text of `length` letters a, b, c ... as the padding tests use.
std::u16string Letters(std::size_t length) {
  std::u16string text;
  for (std::size_t i = 0; i < length; ++i)
    text.push_back(static_cast<char16_t>(u'a' + i % 26));
  return text;
}

struct LengthCase {
  std::size_t length;
  std::u16string_view hex32;
};

// Lengths on either side of each place where the padding needs one more block.
constexpr LengthCase kLengths[] = {
    {55, u"0d7ae056b2f015cd7dc67494efd658f1"},  {56, u"31fcfb5165169eb55898e7e4cf34d19a"},
    {57, u"fd62afaf3aa1e2a52882cb464f5ccc4d"},  {63, u"1b30c0670c15e7da3c2ba7bce77ebe99"},
    {64, u"a2eaf6295c32adc403865fd96a2f182b"},  {65, u"eba2cce0ca8df47e62414a736b3105a2"},
    {119, u"b05187e08da41fa3ef16bd56afaafd99"}, {120, u"62af9b597a9f55e16ab2b897387fc052"},
    {127, u"f41f37f8b5a7782d5cfeafc43e3d3c1c"}, {128, u"3e8c1ccbd71838ef3df4b72e57fb9bf6"},
    {129, u"a9ca66cd8dd6b0f6d8cbb6a21bbf5206"}, {191, u"e690e7e7b01106c0cfac395bae19635d"},
    {192, u"95d1689762c5afbfa124e786d1a22425"}, {193, u"c7d65087764c552da04c38bb38f5196b"},
};

TEST(Md5Hex, PadsEveryLengthAroundABlockBoundary) {
  for (const auto& c : kLengths) {
    SCOPED_TRACE(c.length);
    EXPECT_EQ(Lower32(Letters(c.length)), c.hex32);
  }
}

TEST(Md5Hex, CountsBytesNotCharactersForTheBlockBoundary) {
  // 27 double-byte characters and a letter are 55 bytes (one block), 28 are 56 (two).
  EXPECT_EQ(Lower32(std::u16string(27, u'中') + u"a"), u"28f684ba0c92f3116bbe0026dbc8338b");
  EXPECT_EQ(Lower32(std::u16string(28, u'中')), u"03f3cb779c64f34063223a756fa04975");
  EXPECT_EQ(Lower32(std::u16string(32, u'中')), u"91de7ac150a17ed190dac31d098890d5");
}

struct BytesCase {
  std::u16string_view text;
  std::string_view bytes;
};

const BytesCase kBytes[] = {
    {u"", ""},
    {u"A\r\n", "A\r\n"},
    {u"中", "\xD6\xD0"},
    {u"a中b", "a\xD6\xD0"
              "b"},
    {u"\u0E01", "\x01"},
    {u"€", "\xAC"},
    {u"\uFFFD", "\xFD"},
    {u"\xD800", std::string_view("\0", 1)},
    {std::u16string_view(u"\0", 1), std::string_view("\0", 1)},
    {u"\uE4C6", "\xA1\x40"},
};

TEST(ToMd5Bytes, GivesDoubleByteCodesAndOtherwiseTheLowByteOfTheUnit) {
  for (const auto& c : kBytes) {
    SCOPED_TRACE(U8(c.text));
    EXPECT_EQ(ToMd5Bytes(c.text), c.bytes);
  }
}

TEST(Md5WordArray, HasSixteenWordsPerBlockAndTheBitCountAtTheEnd) {
  for (const std::size_t n : {0u, 1u, 55u, 56u, 63u, 64u, 119u, 120u}) {
    SCOPED_TRACE(n);
    const std::vector<std::int16_t> units(n, 0x61);
    const std::vector<std::uint32_t> words = Md5WordArray(units);
    EXPECT_EQ(words.size(), 16 * ((n + 8) / 64 + 1));
    EXPECT_EQ(words[words.size() - 2], 8 * n);
    EXPECT_EQ(words.back(), 0u);
  }
  EXPECT_EQ(Md5WordArray(std::vector<std::int16_t>(55, 0)).size(), 16u);
  EXPECT_EQ(Md5WordArray(std::vector<std::int16_t>(56, 0)).size(), 32u);
}

struct FirstWordCase {
  std::vector<std::int16_t> units;
  std::uint32_t firstWord;
};

TEST(Md5WordArray, SignExtendsNegativeUnitsWithinTheirWord) {
  constexpr std::int16_t kZhong = -10544; // 中, bytes D6 D0
  const FirstWordCase cases[] = {
      {{}, 0x00000080},
      {{0x61, 0x62, 0x63}, 0x80636261},
      {{kZhong}, 0xFFFFD6D0},
      {{0, kZhong}, 0xFFD6D000},
      {{0, 0, kZhong}, 0xD6D00000},
      {{0, 0, 0, kZhong}, 0xD0000000},
      {{0x61, kZhong}, 0xFFD6D061},
      {{kZhong, 0x61}, 0xFFFFF7D0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.units.size());
    EXPECT_EQ(Md5WordArray(c.units).front(), c.firstWord);
  }
  // The fourth unit's spill stays in its word: the next word holds only the padding.
  EXPECT_EQ(Md5WordArray(std::vector<std::int16_t>{0, 0, 0, kZhong})[1], 0x80u);
}

TEST(WordToHex, WritesLeastSignificantByteFirst) {
  EXPECT_EQ(WordToHex(0x67452301), u"01234567");
  EXPECT_EQ(WordToHex(0), u"00000000");
  EXPECT_EQ(WordToHex(0xFFFFFFFF), u"FFFFFFFF");
  EXPECT_EQ(WordToHex(0x0A0B0C0D), u"0D0C0B0A");
}

TEST(Md5Process, StartsFromTheInitialStateAndIgnoresAPartialBlock) {
  const Md5State initial = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476};
  EXPECT_EQ(Md5Process({}), initial);
  EXPECT_EQ(Md5Process(std::vector<std::uint32_t>(15, 7)), initial);
}

// The streaming digest of Md5Hex against the whole word array of the same bytes: every length up
// to four blocks, and lengths on both sides of the few thousand units that Md5Hex turns into bytes
// at a time, where a double-byte character may straddle two slices.
TEST(Md5Hex, StreamingAgreesWithTheWholeWordArray) {
  std::vector<std::size_t> lengths;
  for (std::size_t length = 0; length <= 260; ++length)
    lengths.push_back(length);
  for (const std::size_t around : {2048u, 4096u, 6144u}) {
    for (std::size_t length = around - 40; length <= around + 40; ++length)
      lengths.push_back(length);
  }
  std::mt19937 random(1321);
  for (const std::size_t length : lengths) {
    std::u16string text;
    for (std::size_t i = 0; i < length; ++i) {
      // ASCII and double-byte hanzi, so bytes and characters differ in count.
      text.push_back(random() % 3 == 0 ? static_cast<char16_t>(0x4E00 + random() % 0x5000)
                                       : static_cast<char16_t>(random() % 0x80));
    }
    const std::string bytes = ToMd5Bytes(text);
    std::vector<std::int16_t> byteUnits;
    for (const char b : bytes)
      byteUnits.push_back(static_cast<unsigned char>(b));
    const Md5State state = Md5Process(Md5WordArray(byteUnits));
    std::u16string expected;
    for (const std::uint32_t word : state)
      expected += WordToHex(word);
    SCOPED_TRACE(length);
    ASSERT_EQ(Md5Hex(text, 32), expected);
  }
}

TEST(Md5DigestBytes, AreTheStateWordsLeastSignificantByteFirst) {
  const std::array<std::uint8_t, 16> expected = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                                                 0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10};
  EXPECT_EQ(Md5DigestBytes({0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476}), expected);
}

} // namespace
} // namespace kelvaro::digest
