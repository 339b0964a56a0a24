#include "codec/text-encodings/mime_header.h"
#include "notation_oracle.h"
#include "support/generate.h"
#include "support/text.h"

#include <gtest/gtest.h>
#include <random>

namespace kelvaro {
namespace {

using namespace std::string_view_literals;
using testing::U8;

struct Case {
  std::u16string_view in, out;
};

constexpr Case kDecodes[] = {
    {u"=?GB2312?B?1tDOxA==?=", u"中文"},
    {u"=?UTF-8?Q?=E4=B8=AD?=", u"中"},
    {u"=?utf-8?b?5Lit5paH?=", u"中文"},
    {u"=?UTF-8*zh?B?5Lit?=", u"中"}, // RFC 2231's language
    {u"=?Shift_JIS?B?k/qWe4zq?=", u"日本語"},
    // RFC 2047, section 8: white space between adjacent words goes, other white space stays.
    {u"(=?ISO-8859-1?Q?a?=)", u"(a)"},
    {u"(=?ISO-8859-1?Q?a?= b)", u"(a b)"},
    {u"(=?ISO-8859-1?Q?a?= =?ISO-8859-1?Q?b?=)", u"(ab)"},
    {u"(=?ISO-8859-1?Q?a?=  =?ISO-8859-1?Q?b?=)", u"(ab)"},
    {u"(=?ISO-8859-1?Q?a?=\r\n    =?ISO-8859-1?Q?b?=)", u"(ab)"},
    {u"(=?ISO-8859-1?Q?a_b?=)", u"(a b)"},
    {u"(=?ISO-8859-1?Q?a?= =?ISO-8859-2?Q?_b?=)", u"(a b)"},
    // What is no word stays as it is.
    {u"=?x-unknown?B?QQ==?= =?UTF-8?B?***?= =?UTF-8?Q?=ZZ?= =?UTF-8?X?a?= =? ?=",
     u"=?x-unknown?B?QQ==?= =?UTF-8?B?***?= =?UTF-8?Q?=ZZ?= =?UTF-8?X?a?= =? ?="},
    {u"=?UTF-8?B?5Lit?", u"=?UTF-8?B?5Lit?"},
    {u"", u""},
};

TEST(MimeHeaderDecode, DecodesBAndQWordsInTheCharsetTheyName) {
  for (const Case& c : kDecodes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(MimeHeaderDecode(c.in), c.out);
  }
}

TEST(MimeHeaderDecode, AgreesWithPythonsEmailHeader) {
  for (const auto& c : testing::kMimeHeaderDecodes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(MimeHeaderDecode(c.in), c.out);
    const std::optional<LabelledBytes> strict = MimeHeaderDecodeBytes(c.in);
    ASSERT_TRUE(strict);
    EXPECT_EQ(DecodeBytes(strict->bytes, strict->charset), c.out);
  }
}

TEST(MimeHeaderEncode, WritesWordsOfAtMost75CharactersOfWholeCharacters) {
  EXPECT_EQ(MimeHeaderEncode(u"中文", Charset::Gbk), u"=?GBK?B?1tDOxA==?=");
  EXPECT_EQ(MimeHeaderEncode(u"中", Charset::Utf8), u"=?UTF-8?B?5Lit?=");
  EXPECT_EQ(MimeHeaderEncode(u"", Charset::Utf8), u"");
  std::mt19937 random(2047);
  for (const CharsetInfo& info : Charsets()) {
    SCOPED_TRACE(std::string(info.name));
    const std::u16string text = testing::GenerateMixedText(random, 300);
    const std::u16string encoded = MimeHeaderEncode(text, info.charset);
    std::size_t words = 0;
    for (std::size_t start = 0; start < encoded.size(); ++words) {
      std::size_t end = encoded.find(u"\r\n ", start);
      end = end == std::u16string::npos ? encoded.size() : end;
      const std::u16string_view word = std::u16string_view(encoded).substr(start, end - start);
      EXPECT_LE(word.size(), 75u) << U8(word);
      EXPECT_TRUE(word.starts_with(
          u"=?" + std::u16string(info.mimeName.begin(), info.mimeName.end()) + u"?B?"));
      // Each word alone is whole characters of its charset.
      const std::optional<LabelledBytes> bytes = MimeHeaderDecodeBytes(word);
      ASSERT_TRUE(bytes);
      EXPECT_EQ(bytes->charset, info.charset);
      EXPECT_TRUE(DecodeBytesStrictly(bytes->bytes, info.charset)) << U8(word);
      start = end == encoded.size() ? end : end + 3;
    }
    EXPECT_GT(words, 5u);
  }
}

TEST(MimeHeaderDecodeBytes, TakesOnlyWordsOfOneKnownCharset) {
  const std::optional<LabelledBytes> gb = MimeHeaderDecodeBytes(u" =?GB2312?B?1tDOxA==?=\r\n");
  ASSERT_TRUE(gb);
  EXPECT_EQ(gb->charset, Charset::Gbk);
  EXPECT_EQ(gb->bytes, "\xD6\xD0\xCE\xC4");
  for (const std::u16string_view text :
       {u""sv, u"中文"sv, u"Re: =?UTF-8?B?5Lit?="sv, u"=?UTF-8?B?5Lit?= =?GBK?B?1tA=?="sv,
        u"=?x-unknown?B?QQ==?="sv, u"=?UTF-8?B?5?="sv, u"=?UTF-8?B?5Lit=?="sv}) {
    SCOPED_TRACE(U8(text));
    EXPECT_FALSE(MimeHeaderDecodeBytes(text));
  }
}

} // namespace
} // namespace kelvaro
