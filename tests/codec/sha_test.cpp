#include "codec/digest/sha.h"
#include "support/text.h"

#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace kelvaro::testing {
namespace {

using namespace std::literals;
using digest::Sha1Hex;
using digest::Sha256Hex;
using digest::Sm3Hex;

struct DigestCase {
  std::string_view bytes, sha1, sha256, sm3;
};

#include "sha_oracle.inc"

// The digest as the tests compare it: its digits, or the error's code when there is none.
std::string Digits(const Result<std::u16string>& digest) {
  return digest ? U8(*digest) : "error " + std::to_string(static_cast<int>(digest.error().code));
}

const std::string kMillionA(1000000, 'a');
constexpr std::string_view kFips448 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
constexpr std::string_view kSm3Block =
    "abcdabcdabcdabcdabcdabcdabcdabcdabcdabcdabcdabcdabcdabcdabcdabcd";

TEST(Sha1Hex, GivesFips180Vectors) {
  EXPECT_EQ(Digits(Sha1Hex("")), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_EQ(Digits(Sha1Hex("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(Digits(Sha1Hex(kFips448)), "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
  EXPECT_EQ(Digits(Sha1Hex(kMillionA)), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(Sha256Hex, GivesFips180Vectors) {
  EXPECT_EQ(Digits(Sha256Hex("")),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Digits(Sha256Hex("abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Digits(Sha256Hex(kFips448)),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Digits(Sha256Hex(kMillionA)),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sm3Hex, GivesGbT32905Vectors) {
  EXPECT_EQ(Digits(Sm3Hex("abc")),
            "66c7f0f462eeedd9d1f2d46bdc10e4e24167c4875cf2f7a2297da02b8f4ba8e0");
  EXPECT_EQ(Digits(Sm3Hex(kSm3Block)),
            "debe9ff92275b8a138604889c18e5a4d6fdb70e5387e5765293dcba39c0c5732");
  EXPECT_EQ(Digits(Sm3Hex("")), "1ab21d8355cfa17f8e61194831e81a8f22bec8c728fefb747ed035eb5082aa2b");
}

TEST(ShaDigests, AgreeWithHashlibAndOpensslDgst) {
  for (const auto& c : kDigests) {
    SCOPED_TRACE(c.sha1);
    EXPECT_EQ(Digits(Sha1Hex(c.bytes)), c.sha1);
    EXPECT_EQ(Digits(Sha256Hex(c.bytes)), c.sha256);
    EXPECT_EQ(Digits(Sm3Hex(c.bytes)), c.sm3);
  }
}

TEST(ShaDigests, WriteCapitalsWhenAsked) {
  EXPECT_EQ(Digits(Sha1Hex("abc", true)), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  EXPECT_EQ(Digits(Sha256Hex("abc", true)),
            "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
  EXPECT_EQ(Digits(Sm3Hex("abc", true)),
            "66C7F0F462EEEDD9D1F2D46BDC10E4E24167C4875CF2F7A2297DA02B8F4BA8E0");
}

// Bytes are bytes: a zero byte inside the message counts like any other.
TEST(ShaDigests, HashZeroBytesInsideTheMessage) {
  EXPECT_EQ(Digits(Sha256Hex("\0"sv)),
            "6e340b9cffb37a989ca544e6bb780a2c78901d3fb33738768511a30617afa01d");
  EXPECT_NE(Digits(Sha1Hex("a\0b"sv)), Digits(Sha1Hex("a")));
}

} // namespace
} // namespace kelvaro::testing
