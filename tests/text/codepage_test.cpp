#include "support/text.h"
#include "text/box_rule.h"
#include "text/codepage.h"
#include "text/utf.h"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>

namespace kelvaro {
namespace {

using testing::U8;

struct EncodeCase {
  std::u16string_view text;
  int locale;
  std::string_view bytes;
};

const EncodeCase kEncodes[] = {
    {u"", kLocaleSystem, ""},
    {u"A\r\n", kLocaleSystem, "A\r\n"},
    {u"中", kLocaleSystem, "\xD6\xD0"},
    {u"中", kLocaleChinesePrc, "\xD6\xD0"},
    {u"中", kLocaleChineseTaiwan, "\xA4\xA4"},
    {u"國", kLocaleChineseTaiwan, "\xB0\xEA"},
    {u"€", kLocaleSystem, "\x80"},
    {u"\uE4C6", kLocaleSystem, "\xA1\x40"}, // user-defined area, as the platform maps it
    {u"ก", kLocaleSystem, "?"},             // Thai: code page 936 lacks it
    {u"\xD800", kLocaleSystem, "?"},        // a lone surrogate is a character it lacks
    {u"\U0001F600", kLocaleSystem, "??"},   // one "?" per code unit
    {std::u16string_view(u"\0a", 2), kLocaleSystem, std::string_view("\0a", 2)},
};

TEST(CodePage, ToAnsiBytesGivesLeadThenTrailAndQuestionMarks) {
  for (const auto& c : kEncodes) {
    SCOPED_TRACE(U8(c.text));
    EXPECT_EQ(ToAnsiBytes(c.text, c.locale), c.bytes);
  }
}

struct DecodeCase {
  std::string_view bytes;
  int locale;
  std::u16string_view text;
};

const DecodeCase kDecodes[] = {
    {"", kLocaleSystem, u""},
    {"\xD6\xD0\xCE\xC4", kLocaleSystem, u"中文"},
    {"\xA4\xA4", kLocaleChineseTaiwan, u"中"},
    {"\xA1\x40", kLocaleSystem, u"\uE4C6"},
    {"\x80", kLocaleSystem, u"€"},
    {"\xD6", kLocaleSystem, u"\uFFFD"}, // lead byte at the end
    {std::string_view("\xD6\x00", 2), kLocaleSystem,
     std::u16string_view(u"\uFFFD\0", 2)},   // lead byte before a zero byte
    {"\x81\x20", kLocaleSystem, u"\uFFFD "}, // the trail that does not fit is read again
    {"-N", kLocaleSystem, u"-N"},
};

TEST(CodePage, FromAnsiBytesGivesOneReplacementPerBadSequence) {
  for (const auto& c : kDecodes) {
    SCOPED_TRACE(U8(c.text));
    EXPECT_EQ(FromAnsiBytes(c.bytes, c.locale), c.text);
  }
}

TEST(CodePage, EveryCharacterOfCodePage936SurvivesTheRoundTrip) {
  std::u16string all;
  for (std::uint32_t u = 1; u < 0x10000; ++u) {
    if (IsInCodePage936(static_cast<char16_t>(u)))
      all.push_back(static_cast<char16_t>(u));
  }
  EXPECT_GT(all.size(), 21000u); // GBK holds some 21 886 characters
  EXPECT_EQ(FromAnsiBytes(ToAnsiBytes(all)), all);
}

// The tables are built from one bulk conversion; ICU asked one code unit at a time is the oracle.
TEST(CodePage, TablesAgreeWithIcuUnitByUnit) {
  for (const auto& [codePage, name] : {std::pair{CodePage::Gbk936, "windows-936-2000"},
                                       std::pair{CodePage::Big5_950, "windows-950-2000"}}) {
    SCOPED_TRACE(name);
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name, &status);
    ASSERT_TRUE(U_SUCCESS(status));
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    int mismatches = 0;
    for (std::uint32_t u = 0; u < 0x10000; ++u) {
      const auto unit = static_cast<UChar>(u);
      char bytes[8];
      status = U_ZERO_ERROR;
      ucnv_reset(converter);
      const int32_t n = ucnv_fromUChars(converter, bytes, sizeof bytes, &unit, 1, &status);
      std::uint16_t expected = 63;
      if (U_SUCCESS(status) && n == 1)
        expected = static_cast<unsigned char>(bytes[0]);
      if (U_SUCCESS(status) && n == 2) {
        expected = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                              static_cast<unsigned char>(bytes[1]));
      }
      if (AnsiCodeOfUnit(unit, codePage) != expected && ++mismatches < 5) {
        ADD_FAILURE() << "U+" << std::hex << u << ": " << AnsiCodeOfUnit(unit, codePage)
                      << " instead of " << expected;
      }
    }
    ucnv_close(converter);
    EXPECT_EQ(mismatches, 0);
  }
}

TEST(CodePage, AppendAnsiCodeCharsDecodesOneOrTwoBytes) {
  struct Case {
    std::uint16_t code;
    std::u16string_view text;
  };
  const Case cases[] = {
      {0x41, u"A"}, {0xD6D0, u"中"},   {0x2020, u"  "},   {0x4142, u"AB"},
      {0x80, u"€"}, {0xD6, u"\uFFFD"}, {0x81, u"\uFFFD"}, {0x00, std::u16string_view(u"\0", 1)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    std::u16string out;
    AppendAnsiCodeChars(out, c.code);
    EXPECT_EQ(out, c.text);
  }
}

TEST(BoxRule, CutsAtNulAndShowsMissingCharactersAsQuestionMarks) {
  struct Case {
    std::u16string_view in, out;
  };
  const Case cases[] = {
      {u"", u""},
      {u"中文\r\nabc", u"中文\r\nabc"},
      {std::u16string_view(u"A\0B", 3), u"A"},
      {u"aก", u"a?"},
      {u"x\xDC00y", u"x?y"},
      {u"\U0001F600", u"??"},
      {u"€·", u"€·"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(ApplyTextBoxRule(c.in), c.out);
  }
}

TEST(BoxRule, CutsAtTheFirstNulWhereverItStands) {
  for (std::size_t length = 0; length < 20; ++length) {
    for (std::size_t nul = 0; nul <= length; ++nul) {
      std::u16string text(length, u'\u4E2D');
      if (nul < length)
        text[nul] = u'\0';
      if (nul + 1 < length)
        text[nul + 1] = u'\0';
      EXPECT_EQ(TextBoxLength(text), nul) << length;
      EXPECT_EQ(ApplyTextBoxRule(text).size(), nul) << length;
    }
  }
  EXPECT_EQ(TextBoxLength(u"\u0100\u0001\u8000\uFFFF"),
            4u); // lanes that look like zero to a cruder test
}

TEST(BoxRule, TheUnitTableMapsUtf8OutputAsTheBoxShowsIt) {
  struct Case {
    std::u16string_view in;
    std::string_view utf8;
  };
  const Case cases[] = {
      {u"", ""},
      {u"中A\r\n", "\xE4\xB8\xAD"
                   "A\r\n"},
      {u"abcdefghijklmnopqrstuvwxyzก0123456789", "abcdefghijklmnopqrstuvwxyz?0123456789"},
      {u"\u0E01\U0001F600\xDC00", "????"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(U8(c.in));
    std::string bytes = "kept:";
    AppendUtf16AsUtf8(bytes, c.in, TextBoxUnitTable());
    EXPECT_EQ(bytes, "kept:" + std::string(c.utf8));
  }
}

} // namespace
} // namespace kelvaro
