#include "codec/utf8/mojibake.h"
#include "support/text.h"
#include "text/width.h"
#include "text/codepage.h"

#include <gtest/gtest.h>
#include <random>
#include <unicode/uchar.h>

namespace kelvaro::testing {
namespace {

using namespace std::string_view_literals;

struct BytesCase {
  std::u16string_view text;
  std::string_view bytes;
};

constexpr BytesCase kUtf8Bytes[] = {
    {u"", "\0"sv},
    {u"A", "A\0"sv},
    {u"中", "\xE4\xB8\xAD\0"sv},
    {u"\xD83D\xDE00", "\xF0\x9F\x98\x80\0"sv},
    {u"\xD83Dx", "\xEF\xBF\xBDx\0"sv}, // a lone surrogate is U+FFFD
};

TEST(ToUtf8Bytes, AddsTerminatingZeroByte) {
  for (const auto& c : kUtf8Bytes) {
    SCOPED_TRACE(U8(c.text));
    EXPECT_EQ(ToUtf8Bytes(c.text), c.bytes);
  }
}

constexpr BytesCase kFromUtf8[] = {
    {u"\0"sv, ""sv},
    {u"中\0"sv, "\xE4\xB8\xAD"sv},
    {u"中\0"sv, "\xE4\xB8\xAD\0tail"sv}, // read up to the first zero byte
    {u"\xFFFD\xFFFD\0"sv, "\xC0\x80"sv},
    {u"\xFFFD\0"sv, "\xE4\xB8"sv},
    {u"\xFFFD\0"sv, "\xF5"sv},
};

TEST(FromUtf8Bytes, KeepsTerminatorAndReplacesBadSequences) {
  for (const auto& c : kFromUtf8) {
    SCOPED_TRACE(U8(c.text));
    EXPECT_EQ(FromUtf8Bytes(c.bytes), c.text);
  }
}

struct Case {
  std::u16string_view in, out;
};

constexpr Case kMakes[] = {
    {u"你好", u"浣犲ソ\0"sv}, {u"AB", u"锝侊絺\0"sv}, {u"中", u"涓\xFFFD\0"sv},
    {u"", u"\0"sv},           {u"  ", u"\0"sv},
};

TEST(MakeUtf8Mojibake, ReadsUtf8OfFullWidthTextAsCodePage936) {
  for (const auto& c : kMakes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(MakeUtf8Mojibake(c.in), c.out);
  }
}

TEST(MakeUtf8Mojibake, PreparesTextBeforeEncoding) {
  // A b works on ａ U+3000 ｂ; two lines become one; spaces at the ends go; case is lowered first.
  EXPECT_EQ(MakeUtf8Mojibake(u" A b "), FromAnsiBytes("\xEF\xBD\x81\xE3\x80\x80\xEF\xBD\x82\0"sv));
  EXPECT_EQ(MakeUtf8Mojibake(u"ab\r\ncd"), MakeUtf8Mojibake(u"abcd"));
  EXPECT_EQ(MakeUtf8Mojibake(u"ΑΩ"), MakeUtf8Mojibake(u"αω"));
  // Only CR LF pairs are removed; a lone CR or LF stays.
  EXPECT_EQ(MakeUtf8Mojibake(u"a\r\r\nb\n"), FromAnsiBytes("\xEF\xBD\x81\r\xEF\xBD\x82\n\0"sv));
}

constexpr Case kRepairs[] = {
    {u"浣犲ソ", u"你好\0"sv},
    {u"锝侊絺", u"ａｂ\0"sv},
    {u"", u"\0"sv},
    {u"abc", u"abc\0"sv},
};

TEST(RepairUtf8Mojibake, ReadsCodePageBytesAsUtf8) {
  for (const auto& c : kRepairs) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(RepairUtf8Mojibake(c.in), c.out);
  }
}

// When the prepared text's UTF-8 has an even length, every byte pair is a character and the
// window's two buttons bring back the prepared text.
constexpr Case kRoundTrips[] = {
    {u"你好", u"你好"}, {u"中文", u"中文"}, {u"ab\r\ncd", u"ａｂｃｄ"}, {u"ABCD", u"ａｂｃｄ"}};

TEST(RepairUtf8Mojibake, UndoesMojibakeOfEvenLengthUtf8) {
  for (const auto& c : kRoundTrips) {
    SCOPED_TRACE(U8(c.in));
    std::u16string made = MakeUtf8Mojibake(c.in);
    ASSERT_EQ(made.back(), u'\0');
    made.pop_back(); // the box cuts at the terminator
    EXPECT_EQ(RepairUtf8Mojibake(made), std::u16string(c.out) + u'\0');
  }
}

// The steps one after the other over the whole text, through the converter.
std::u16string NaiveMojibake(std::u16string_view text) {
  std::u16string lower;
  for (const char16_t unit : text) {
    lower.push_back(unit >= 0xD800 && unit <= 0xDFFF ? unit
                                                     : static_cast<char16_t>(u_tolower(unit)));
  }
  const std::size_t first = lower.find_first_not_of(u' ');
  lower = first == std::u16string::npos
              ? u""
              : lower.substr(first, lower.find_last_not_of(u' ') + 1 - first);
  const std::u16string wide = ToFullWidth(lower);
  std::u16string joined;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    if (wide[i] == u'\r' && i + 1 < wide.size() && wide[i + 1] == u'\n')
      ++i;
    else
      joined.push_back(wide[i]);
  }
  return FromAnsiBytes(ToUtf8Bytes(joined));
}

// Long texts, so that CR LF pairs, surrogate pairs and byte pairs fall across every boundary the
// fast path may cut at; lone surrogates and two-byte UTF-8 forms make byte pairs that are no
// character.
TEST(MakeUtf8Mojibake, AgreesWithNaiveSteps) {
  std::mt19937 random(65001);
  constexpr std::u16string_view kOften =
      u"  \r\n\r\nAZaz09~ \x00A9\x0100\x0391\x20A9\xD83D\xDE00\xDC00";
  for (int round = 0; round < 40; ++round) {
    std::u16string text;
    const std::size_t length = random() % 40000;
    while (text.size() < length) {
      switch (random() % 3) {
      case 0:
        text.push_back(static_cast<char16_t>(random() % 0x10000));
        break;
      case 1:
        text.push_back(static_cast<char16_t>(0x4E00 + random() % 0x5200));
        break;
      default:
        text.push_back(kOften[random() % kOften.size()]);
        break;
      }
    }
    SCOPED_TRACE(round);
    ASSERT_EQ(MakeUtf8Mojibake(text), NaiveMojibake(text));
  }
}

} // namespace
} // namespace kelvaro::testing

namespace kelvaro::testing {
namespace {

// The text went through its steps in blocks of 16384 units, and a block's end moved by only one
// unit: a CR LF pair survived and a surrogate pair was split at every multiple of 16384.
TEST(MakeUtf8Mojibake, CrLfAndSurrogatePairsAtEveryFormerBlockEnd) {
  for (const std::size_t n : {16382u, 16383u, 16384u, 32767u}) {
    SCOPED_TRACE(n);
    const std::u16string as(n, u'a');
    EXPECT_EQ(MakeUtf8Mojibake(as + u"\r\r\nb"),
              FromAnsiBytes(ToUtf8Bytes(ToFullWidth(as + u"\rb"))));
    const std::u16string withEmoji = MakeUtf8Mojibake(as + u"\r\U0001F600");
    EXPECT_EQ(withEmoji, FromAnsiBytes(ToUtf8Bytes(ToFullWidth(as + u"\r\U0001F600"))));
    EXPECT_NE(withEmoji.find(u"馃榾"), std::u16string::npos); // F0 9F 98 80 read as GBK
  }
}

// One zero byte is half a UTF-16 unit, so the terminator read with the text's last byte and the
// repair ran past the text's end into "\uFFFD\uFFFD"; there the terminator is a whole zero unit.
TEST(MakeUtf8Mojibake, EndsWithOneZeroUnitInUtf16) {
  for (const Charset charset : {Charset::Utf16Le, Charset::Utf16Be}) {
    const std::u16string made = MakeUtf8Mojibake(u"中文", charset); // six bytes: three units
    ASSERT_EQ(made.size(), 4u);
    EXPECT_EQ(made.back(), u'\0');
    EXPECT_EQ(RepairUtf8Mojibake(made.substr(0, 3), charset), u"中文\0"sv);
  }
}

} // namespace
} // namespace kelvaro::testing
