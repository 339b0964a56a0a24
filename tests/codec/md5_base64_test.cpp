#include "codec/digest/md5.h"
#include "codec/digest/md5_base64.h"
#include "codec/digest/md5_steps.h"
#include "support/text.h"
#include "text/width.h"
#include "text/hex.h"

#include <gtest/gtest.h>
#include <random>

namespace kelvaro::digest {
namespace {

using testing::U8;

struct Case {
  std::u16string_view text;
  std::u16string_view base64;
};

constexpr Case kCases[] = {
    {u"", u"1B2M2Y8AsgTpgAmY7PhCfg=="},
    {u"abc", u"kAFQmDzST7DWlj99KOF/cg=="},
    {u"中", u"bLowj41fK0mXHbtDh5oHjA=="},  // first word FFFFD6D0, 8 bits counted
    {u"a中", u"XMupezOntjiga0IWNuIZVA=="}, // first word FFD6D061
    {u"中a", u"IP7XCn6hv5dUjk0SWviABg=="}, // first word FFFFF7D0
    {u"?", u"0UV7csP7MjomcRJa7z6rXQ=="},
    {u"\u0E01", u"0UV7csP7MjomcRJa7z6rXQ=="}, // a character the code page lacks counts as "?"
    {u"The quick brown fox jumps over the lazy dog", u"nhB9nTcrtoJr2B01QqQZ1g=="},
};

TEST(Md5Base64, DigestsTheCharacterCodes) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(U8(c.text));
    EXPECT_EQ(Md5Base64(c.text), c.base64);
  }
}

TEST(Md5Base64, DoubleByteTextIsNotTheDigestOfItsBytes) {
  // Base64 of the MD5 of D6 D0, the digest that Md5Hex takes of 中.
  EXPECT_NE(Md5Base64(u"中"), u"UwHaN+X/yhgjpc72dIjUvw==");
}

// Value of one digit of the standard alphabet.
int Base64Value(char16_t c) {
  if (c >= u'A' && c <= u'Z')
    return c - u'A';
  if (c >= u'a' && c <= u'z')
    return c - u'a' + 26;
  if (c >= u'0' && c <= u'9')
    return c - u'0' + 52;
  return c == u'+' ? 62 : c == u'/' ? 63 : -1;
}

// The 16 digest bytes read back from 24 digits, as upper-case hexadecimal.
std::u16string DecodedDigestHex(std::u16string_view base64) {
  std::u16string hex;
  std::uint32_t bits = 0;
  int count = 0;
  for (const char16_t c : base64.substr(0, 22)) {
    bits = bits << 6 | static_cast<std::uint32_t>(Base64Value(c));
    count += 6;
    if (count >= 8) {
      count -= 8;
      AppendHexByte(hex, static_cast<std::uint8_t>(bits >> count));
    }
  }
  return hex;
}

// For ASCII text both digests hash the same bytes; the shapes of the result hold for any text.
TEST(Md5Base64, AgreesWithMd5HexOnAsciiAndAlwaysEndsInPadding) {
  std::mt19937 random(4648);
  for (int round = 0; round < 300; ++round) {
    std::u16string ascii, mixed;
    const std::size_t length = random() % 200;
    for (std::size_t i = 0; i < length; ++i) {
      ascii.push_back(static_cast<char16_t>(random() % 0x80));
      mixed.push_back(static_cast<char16_t>(random() % 0x10000));
    }
    SCOPED_TRACE(length);
    const std::u16string digest = Md5Base64(ascii);
    ASSERT_EQ(digest.size(), 24u);
    EXPECT_EQ(digest.substr(22), u"==");
    EXPECT_EQ(DecodedDigestHex(digest), Md5Hex(ascii, 32));

    const std::u16string any = Md5Base64(mixed);
    ASSERT_EQ(any.size(), 24u);
    EXPECT_EQ(any.substr(22), u"==");
    for (const char16_t c : any.substr(0, 22))
      EXPECT_GE(Base64Value(c), 0);
  }
}

TEST(Md5Base64, CountsCharactersNotBytesForTheBlockBoundary) {
  // 55 units fit one block and 56 need two, whatever their byte count; a digest over the same
  // words built by hand holds the count.
  for (const std::size_t n : {55u, 56u, 64u}) {
    SCOPED_TRACE(n);
    const std::u16string text(n, u'中');
    const std::vector<std::int16_t> units(n, -10544);
    const auto digest = Md5DigestBytes(Md5Process(Md5WordArray(units)));
    std::u16string hex;
    for (const std::uint8_t b : digest)
      AppendHexByte(hex, b);
    EXPECT_EQ(DecodedDigestHex(Md5Base64(text)), hex);
  }
}

} // namespace
} // namespace kelvaro::digest
