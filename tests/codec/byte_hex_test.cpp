#include "codec/text-encodings/byte_hex.h"
#include "support/text.h"

#include <gtest/gtest.h>

namespace kelvaro {
namespace {

using namespace std::string_view_literals;
using testing::U8;

TEST(ByteHexEncode, WritesEachByteAsTwoDigits) {
  EXPECT_EQ(ByteHexEncode(u"中", Charset::Utf8), u"e4b8ad");
  EXPECT_EQ(ByteHexEncode(u"中", Charset::Utf8, true), u"E4B8AD");
  EXPECT_EQ(ByteHexEncode(u"中A\n", Charset::Gbk), u"d6d0410a");
  EXPECT_EQ(ByteHexEncode(u"A", Charset::Utf16Be), u"0041");
  EXPECT_EQ(ByteHexEncode(u"\u0E01", Charset::Gbk), u"3f"); // what GBK lacks is "?"
  EXPECT_EQ(ByteHexEncode(u"", Charset::Utf8), u"");
}

TEST(ByteHexDecode, ReadsTheFormsDumpsAndDebuggersWrite) {
  for (const std::u16string_view hex :
       {u"e4b8ad"sv, u"E4B8AD"sv, u"E4 B8 AD"sv, u"e4:b8:ad"sv, u"0xe4, 0xB8, 0XAD"sv,
        uR"(\xe4\xb8\xad)"sv, u"e4-b8-ad\r\n"sv, u"  e4b8\n\tad  "sv}) {
    SCOPED_TRACE(U8(hex));
    EXPECT_EQ(ByteHexDecode(hex, Charset::Utf8).value_or(u"(refused)"), u"中");
    EXPECT_EQ(ByteHexDecodeBytes(hex), "\xE4\xB8\xAD");
  }
  EXPECT_EQ(ByteHexDecode(u"e4b8", Charset::Utf8).value_or(u"(refused)"), u"\uFFFD");
  EXPECT_EQ(ByteHexDecode(u"", Charset::Utf8).value_or(u"(refused)"), u"");
}

TEST(ByteHexDecode, RefusesALoneDigitOrAnyOtherCharacterWhereItStands) {
  const std::pair<std::u16string_view, std::size_t> bad[] = {
      {u"e4b8a", 4}, {u"e4zz", 2}, {u"0x", 0}, {u"e4 x41", 3}, {u"中", 0}, {u"e4\\", 2}};
  for (const auto& [hex, position] : bad) {
    SCOPED_TRACE(U8(hex));
    const Result<std::u16string> decoded = ByteHexDecode(hex, Charset::Utf8);
    ASSERT_FALSE(decoded);
    EXPECT_EQ(decoded.error().code, ErrorCode::NotHexBytes);
    EXPECT_EQ(decoded.error().position, position);
    EXPECT_FALSE(ByteHexDecodeBytes(hex));
  }
  EXPECT_FALSE(ByteHexDecodeBytes(u""));
  EXPECT_FALSE(ByteHexDecodeBytes(u" : "));
}

} // namespace
} // namespace kelvaro
