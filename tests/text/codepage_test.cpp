#include "support/text.h"
#include "text/box_rule.h"
#include "text/codepage.h"
#include "text/utf.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <utility>
#include <vector>
#include <memory>
#include <random>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

namespace kelvaro {
namespace {

using namespace std::string_view_literals;

using testing::U8;

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using IcuConverter = std::unique_ptr<UConverter, ConverterCloser>;

// ICU's converter as the code-page layer promises to decode: one U+FFFD for every bad sequence
// (ICU's default writes U+001A for an unassigned one).
IcuConverter OpenWithOneReplacementPerBadSequence(const char* name) {
  UErrorCode status = U_ZERO_ERROR;
  IcuConverter converter(ucnv_open(name, &status));
  if (U_FAILURE(status))
    return nullptr;
  ucnv_setToUCallBack(
      converter.get(),
      [](const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
         UConverterCallbackReason reason, UErrorCode* err) {
        if (reason > UCNV_IRREGULAR)
          return;
        *err = U_ZERO_ERROR;
        const UChar fffd = 0xFFFD;
        ucnv_cbToUWriteUChars(args, &fffd, 1, 0, err);
      },
      nullptr, nullptr, nullptr, &status);
  return converter;
}

// ICU's names of the code pages, for the tests that hold the tables against ICU's converters.
constexpr std::pair<CodePage, const char*> kIcuNames[] = {
    {CodePage::Gbk936, "windows-936-2000"},      {CodePage::Big5_950, "windows-950-2000"},
    {CodePage::ShiftJis932, "ibm-943_P15A-2003"}, {CodePage::EucKr949, "windows-949-2000"},
    {CodePage::Windows1252, "windows-1252"},      {CodePage::Latin1, "ISO-8859-1"},
    {CodePage::Cp437, "ibm-437_P100-1995"},       {CodePage::Windows1250, "windows-1250"},
    {CodePage::Windows1251, "windows-1251"},      {CodePage::Windows1253, "windows-1253"},
    {CodePage::Windows1254, "windows-1254"},      {CodePage::Windows1257, "windows-1257"},
    {CodePage::Latin2, "ISO-8859-2"},             {CodePage::MacRoman, "macintosh"},
};

std::vector<std::pair<CodePage, const char*>> IcuNamesOf(std::initializer_list<CodePage> pages) {
  std::vector<std::pair<CodePage, const char*>> names;
  for (const CodePage page : pages) {
    for (const auto& entry : kIcuNames) {
      if (entry.first == page)
        names.push_back(entry);
    }
  }
  return names;
}

struct EncodeCase {
  std::u16string_view text;
  CodePage codePage;
  std::string_view bytes;
};

const EncodeCase kEncodes[] = {
    {u"", CodePage::Gbk936, ""},
    {u"A\r\n", CodePage::Gbk936, "A\r\n"},
    {u"中", CodePage::Gbk936, "\xD6\xD0"},
    {u"中", CodePage::Gbk936, "\xD6\xD0"},
    {u"中", CodePage::Big5_950, "\xA4\xA4"},
    {u"國", CodePage::Big5_950, "\xB0\xEA"},
    {u"€", CodePage::Gbk936, "\x80"},
    {u"\uE4C6", CodePage::Gbk936, "\xA1\x40"}, // user-defined area, as the platform maps it
    {u"╓╨╬─.txt", CodePage::Cp437, "\xD6\xD0\xCE\xC4.txt"}, // 中文.txt in GBK, as zip shows it
    {u"Привет", CodePage::Windows1251, "\xCF\xF0\xE8\xE2\xE5\xF2"},
    {u"Ελλάδα", CodePage::Windows1253, "\xC5\xEB\xEB\xDC\xE4\xE1"},
    {u"Łódź", CodePage::Latin2, "\xA3\xF3\x64\xBC"},
    {u"Łódź", CodePage::Windows1250, "\xA3\xF3\x64\x9F"},
    {u"İstanbul", CodePage::Windows1254, "\xDDstanbul"},
    {u"Rīga", CodePage::Windows1257, "R\xEEga"},
    {u"Café™", CodePage::MacRoman, "Caf\x8E\xAA"},
    {u"ก", CodePage::Gbk936, "?"},           // Thai: code page 936 lacks it
    {u"\xD800", CodePage::Gbk936, "?"},      // a lone surrogate is a character it lacks
    {u"\U0001F600", CodePage::Gbk936, "??"}, // one "?" per code unit
    {std::u16string_view(u"\0a", 2), CodePage::Gbk936, std::string_view("\0a", 2)},
};

TEST(CodePage, ToAnsiBytesGivesLeadThenTrailAndQuestionMarks) {
  for (const auto& c : kEncodes) {
    SCOPED_TRACE(U8(c.text));
    EXPECT_EQ(ToAnsiBytes(c.text, c.codePage), c.bytes);
  }
}

struct DecodeCase {
  std::string_view bytes;
  CodePage codePage;
  std::u16string_view text;
};

const DecodeCase kDecodes[] = {
    {"", CodePage::Gbk936, u""},
    {"\xD6\xD0\xCE\xC4", CodePage::Gbk936, u"中文"},
    {"\xA4\xA4", CodePage::Big5_950, u"中"},
    {"\xA1\x40", CodePage::Gbk936, u"\uE4C6"},
    {"\x80", CodePage::Gbk936, u"€"},
    {"\xD6", CodePage::Gbk936, u"\uFFFD"}, // lead byte at the end
    {std::string_view("\xD6\x00", 2), CodePage::Gbk936,
     std::u16string_view(u"\uFFFD\0", 2)},      // lead byte before a zero byte
    {"\x81\x20", CodePage::Gbk936, u"\uFFFD "}, // the trail that does not fit is read again
    {"-N", CodePage::Gbk936, u"-N"},
};

TEST(CodePage, FromAnsiBytesGivesOneReplacementPerBadSequence) {
  for (const auto& c : kDecodes) {
    SCOPED_TRACE(U8(c.text));
    EXPECT_EQ(FromAnsiBytes(c.bytes, c.codePage), c.text);
  }
}

TEST(CodePage, EveryCharacterOfCodePage936SurvivesTheRoundTrip) {
  std::u16string all;
  for (std::uint32_t u = 1; u < 0x10000; ++u) {
    if (IsInCodePage(static_cast<char16_t>(u)))
      all.push_back(static_cast<char16_t>(u));
  }
  EXPECT_GT(all.size(), 21000u); // GBK holds some 21 886 characters
  EXPECT_EQ(FromAnsiBytes(ToAnsiBytes(all)), all);
}

// The tables are built from one bulk conversion; ICU asked one code unit at a time is the oracle.
TEST(CodePage, TablesAgreeWithIcuUnitByUnit) {
  for (const auto& [codePage, name] :
       IcuNamesOf({CodePage::Gbk936, CodePage::Big5_950, CodePage::Cp437, CodePage::Windows1250,
                   CodePage::Windows1251, CodePage::Windows1253, CodePage::Windows1254,
                   CodePage::Windows1257, CodePage::Latin2, CodePage::MacRoman})) {
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

// The decoding tables come from one conversion a lead byte; ICU asked one byte and one pair at a
// time, as the replacement callback of the code-page layer answers them, is the oracle.
TEST(CodePage, DecodingTablesAgreeWithIcuPairByPair) {
  for (const auto& [codePage, name] : kIcuNames) {
    SCOPED_TRACE(name);
    const IcuConverter icu = OpenWithOneReplacementPerBadSequence(name);
    ASSERT_TRUE(icu);
    UConverter* converter = icu.get();
    UErrorCode status = U_ZERO_ERROR;
    const auto decode = [&](std::string_view bytes, UChar* units) {
      status = U_ZERO_ERROR;
      ucnv_reset(converter);
      return ucnv_toUChars(converter, units, 4, bytes.data(), static_cast<int32_t>(bytes.size()),
                           &status);
    };
    const CodePageDecoder decoder = DecoderOf(codePage);
    int mismatches = 0;
    UChar units[4];
    for (int lead = 0x80; lead < 0x100; ++lead) {
      bool isLead = false;
      for (int trail = 0; trail < 0x100; ++trail) {
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        const char16_t expected = decode({pair, 2}, units) == 1 ? units[0] : u'\0';
        isLead = isLead || expected != u'\0';
        if (decoder.pairUnits[lead << 8 | trail] != expected && ++mismatches < 5)
          ADD_FAILURE() << std::hex << lead << " " << trail;
      }
      const char single = static_cast<char>(lead);
      const char16_t alone = decode({&single, 1}, units) == 1 ? units[0] : u'\xFFFD';
      EXPECT_EQ(decoder.unitOfByte(static_cast<std::uint8_t>(lead)), isLead ? kLeadByte : alone)
          << std::hex << lead;
    }
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

TEST(BoxRule, CutsAtNulAndKeepsEveryCharacter) {
  struct Case {
    std::u16string_view in, out;
  };
  const Case cases[] = {
      {u"", u""},
      {u"中文\r\nabc", u"中文\r\nabc"},
      {std::u16string_view(u"A\0B", 3), u"A"},
      {u"aก", u"aก"},
      {u"x\xDC00y", u"x?y"}, // a lone surrogate is no character
      {u"\U0001F600", u"\U0001F600"},
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

// The decoder is tables only; ICU's converter, with one U+FFFD per bad sequence, is the oracle on
// bytes that hit lead and trail ranges, bad pairs and bytes at the end.
TEST(CodePage, FromAnsiBytesAgreesWithIcuOnAnyBytes) {
  for (const auto& [codePage, name] : IcuNamesOf({CodePage::Gbk936, CodePage::Big5_950})) {
    SCOPED_TRACE(name);
    const IcuConverter icu = OpenWithOneReplacementPerBadSequence(name);
    ASSERT_TRUE(icu);
    UConverter* converter = icu.get();
    UErrorCode status = U_ZERO_ERROR;
    std::mt19937 random(936);
    constexpr std::uint8_t kOften[] = {0x00, 0x20, 0x40, 0x7F, 0x80, 0x81, 0xA1,
                                       0xA4, 0xC8, 0xD6, 0xD0, 0xF9, 0xFE, 0xFF};
    for (int round = 0; round < 3000; ++round) {
      std::string bytes(random() % 12, '\0');
      for (char& b : bytes)
        b = static_cast<char>(random() % 2 ? kOften[random() % sizeof kOften] : random() % 256);
      std::u16string expected(bytes.size() + 1, u'\0');
      status = U_ZERO_ERROR;
      ucnv_reset(converter);
      const int32_t n = ucnv_toUChars(converter, reinterpret_cast<UChar*>(expected.data()),
                                      static_cast<int32_t>(expected.size()), bytes.data(),
                                      static_cast<int32_t>(bytes.size()), &status);
      ASSERT_TRUE(U_SUCCESS(status));
      expected.resize(static_cast<std::size_t>(n));
      ASSERT_EQ(FromAnsiBytes(bytes, codePage), expected) << testing::U8(expected);
    }
  }
}

TEST(BoxRule, TellsWhereItCutAndWhatBecameQuestionMarks) {
  std::u16string text = u"a\u0E01?\U0001F600中";
  EXPECT_EQ(ApplyTextBoxRuleInPlace(text).questionMarks, 0u);
  EXPECT_EQ(WriteUnencodableAsQuestionMarks(text, Charset::Gbk), 2u);
  EXPECT_EQ(text, u"a????中");
  // The place of the U+0000 counts characters; what follows it counts all but U+0000; a U+0000
  // at the very end, or a run of them, loses nothing.
  std::u16string cut(u"\U0001F600b\0c\xDC00\0\U0001F600"sv);
  const BoxRuleChanges changes = ApplyTextBoxRuleInPlace(cut);
  EXPECT_EQ(cut, u"\U0001F600b");
  ASSERT_TRUE(changes.cut);
  EXPECT_EQ(changes.cut->position, 3u);
  EXPECT_EQ(changes.cut->notShown, 3u);
  std::u16string terminated(u"ab\0\0"sv);
  EXPECT_FALSE(ApplyTextBoxRuleInPlace(terminated).cut);
  EXPECT_EQ(terminated, u"ab");
}

// Found by the fuzzer: ICU encodes some private-use characters by one-way mappings (U+F86F gives
// 87 82 in Shift_JIS, which reads as U+2116), so Base64 of U+F86F came back as №. A unit the code
// page cannot give back now counts as one it lacks: whatever a table encodes decodes to itself.
TEST(CodePage, EveryUnitATableEncodesDecodesBackToItself) {
  for (const CodePage codePage :
       {CodePage::Gbk936, CodePage::Big5_950, CodePage::ShiftJis932, CodePage::EucKr949,
        CodePage::Windows1252, CodePage::Latin1, CodePage::Cp437, CodePage::Windows1250,
        CodePage::Windows1251, CodePage::Windows1253, CodePage::Windows1254, CodePage::Windows1257,
        CodePage::Latin2, CodePage::MacRoman}) {
    SCOPED_TRACE(static_cast<int>(codePage));
    int encoded = 0;
    for (std::uint32_t u = 0; u < 0x10000; ++u) {
      const auto unit = static_cast<char16_t>(u);
      if (!IsInCodePage(unit, codePage) || unit == u'?')
        continue;
      ++encoded;
      std::u16string back;
      AppendAnsiCodeChars(back, AnsiCodeOfUnit(unit, codePage), codePage);
      ASSERT_EQ(back, std::u16string(1, unit)) << std::hex << u;
    }
    EXPECT_GT(encoded, 100);
  }
  EXPECT_FALSE(IsInCodePage(u'\xF86F', CodePage::ShiftJis932));
  EXPECT_EQ(ToAnsiBytes(u"\xF86F", CodePage::ShiftJis932), "?");
}

// ReplaceMissing skips runs of ASCII; the plain loop through IsInCodePage is its oracle, on texts
// whose ASCII runs begin and end at every offset around its blocks of 32 units.
TEST(CodePage, ReplaceMissingAgreesWithThePlainLoop) {
  std::mt19937 random(936);
  constexpr std::u16string_view kOthers = u"中丂國ひ한é€\u0E01\uF86F\uFFFD\xD83D\xDE00";
  for (const CodePage codePage :
       {CodePage::Gbk936, CodePage::Big5_950, CodePage::ShiftJis932, CodePage::EucKr949,
        CodePage::Windows1252, CodePage::Latin1, CodePage::Cp437, CodePage::Windows1250,
        CodePage::Windows1251, CodePage::Windows1253, CodePage::Windows1254, CodePage::Windows1257,
        CodePage::Latin2, CodePage::MacRoman}) {
    SCOPED_TRACE(static_cast<int>(codePage));
    for (int round = 0; round < 400; ++round) {
      std::u16string text;
      const std::size_t length = random() % 300;
      while (text.size() < length) {
        text.append(random() % 70, static_cast<char16_t>(random() % 0x80));
        for (std::size_t n = random() % 3; n > 0; --n)
          text.push_back(kOthers[random() % kOthers.size()]);
      }
      std::u16string expected = text;
      std::size_t missing = 0;
      for (char16_t& unit : expected) {
        if (!IsInCodePage(unit, codePage)) {
          unit = u'?';
          ++missing;
        }
      }
      ASSERT_EQ(ReplaceMissing(text, codePage), missing);
      ASSERT_EQ(text, expected);
    }
  }
}

} // namespace
} // namespace kelvaro
