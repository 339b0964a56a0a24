#include "charset_oracle.h"
#include "support/text.h"
#include "text/box_rule.h"
#include "text/charset.h"
#include "text/utf.h"

#include <gtest/gtest.h>
#include <random>

namespace kelvaro {
namespace {

using namespace std::string_view_literals;
using testing::U8;

Charset Named(std::string_view name) {
  const std::optional<Charset> charset = CharsetNamed(name);
  EXPECT_TRUE(charset) << name;
  return charset.value_or(Charset::Gbk);
}

// Python's codecs, an implementation apart from ICU's tables, on ordinary text of each charset.
TEST(Charset, BytesAgreeWithPythonsCodecs) {
  for (const testing::CharsetOracleCase& c : testing::kCharsetOracle) {
    SCOPED_TRACE(std::string(c.charset) + " " + U8(c.text));
    const Charset charset = Named(c.charset);
    EXPECT_EQ(EncodeText(c.text, charset), c.bytes);
    EXPECT_EQ(DecodeBytes(c.bytes, charset), c.text);
    EXPECT_EQ(DecodeBytesStrictly(c.bytes, charset).value_or(u"(refused)"), c.text);
  }
}

TEST(Charset, NamesInAnyCaseAndTheirAliases) {
  const std::pair<std::string_view, Charset> names[] = {{"gbk", Charset::Gbk},
                                                        {"CP936", Charset::Gbk},
                                                        {"GB18030", Charset::Gb18030},
                                                        {"Big5", Charset::Big5},
                                                        {"cp950", Charset::Big5},
                                                        {"UTF-8", Charset::Utf8},
                                                        {"utf-16LE", Charset::Utf16Le},
                                                        {"utf-16be", Charset::Utf16Be},
                                                        {"Shift_JIS", Charset::ShiftJis},
                                                        {"cp932", Charset::ShiftJis},
                                                        {"euc-kr", Charset::EucKr},
                                                        {"CP949", Charset::EucKr},
                                                        {"Windows-1252", Charset::Windows1252},
                                                        {"iso-8859-1", Charset::Iso8859_1},
                                                        {"CP437", Charset::Cp437},
                                                        {"IBM437", Charset::Cp437},
                                                        {"windows-1250", Charset::Windows1250},
                                                        {"Windows-1251", Charset::Windows1251},
                                                        {"cp1253", Charset::Windows1253},
                                                        {"CP1254", Charset::Windows1254},
                                                        {"windows-1257", Charset::Windows1257},
                                                        {"ISO-8859-2", Charset::Iso8859_2},
                                                        {"latin2", Charset::Iso8859_2},
                                                        {"Macintosh", Charset::Macintosh},
                                                        {"mac-roman", Charset::Macintosh},
                                                        // the other names iconv takes
                                                        {"utf8", Charset::Utf8},
                                                        {"UTF8", Charset::Utf8},
                                                        {"gb2312", Charset::Gbk},
                                                        {"GB2312", Charset::Gbk},
                                                        {"EUC-CN", Charset::Gbk},
                                                        {"BIG-5", Charset::Big5},
                                                        {"sjis", Charset::ShiftJis},
                                                        {"Shift-JIS", Charset::ShiftJis},
                                                        {"EUCKR", Charset::EucKr},
                                                        {"latin1", Charset::Iso8859_1},
                                                        {"ISO8859-1", Charset::Iso8859_1},
                                                        {"cp1252", Charset::Windows1252},
                                                        {"UTF16LE", Charset::Utf16Le},
                                                        {"437", Charset::Cp437},
                                                        {"MS-CYRL", Charset::Windows1251},
                                                        {"l2", Charset::Iso8859_2},
                                                        {"MAC", Charset::Macintosh}};
  for (const auto& [name, charset] : names)
    EXPECT_EQ(CharsetNamed(name), charset) << name;
  // UTF-16 with a byte order mark is the command line's to read; it names no charset here.
  for (const std::string_view unknown : {"", "utf-16", "UTF16", "gbk ", "latin", "cp1255"})
    EXPECT_FALSE(CharsetNamed(unknown)) << unknown;
  EXPECT_EQ(Charsets().front().charset, Charset::Gbk);
  // Every name and alias of the table names its own charset.
  for (const CharsetInfo& info : Charsets()) {
    EXPECT_EQ(CharsetNamed(info.name), info.charset);
    EXPECT_EQ(CharsetNamed(info.mimeName), info.charset);
    if (!info.alias.empty()) {
      EXPECT_EQ(CharsetNamed(info.alias), info.charset);
    }
  }
}

// Characters from every script the charsets cover, emoji and lone surrogates among them.
std::u16string AnyText(std::mt19937& random, std::size_t length) {
  constexpr std::u16string_view kPool =
      u"Aa0 +%\r\n\t中文国後臺灣日本語ひらカタ한국어éßç©€¥\u3000\uE4C6\uF8F5\u0E01"
      u"\U0001F600\U00020000"sv;
  std::u16string text;
  while (text.size() < length) {
    switch (random() % 8) {
    case 0:
      text.push_back(static_cast<char16_t>(random() % 0x10000)); // lone surrogates too
      break;
    default:
      text.push_back(kPool[random() % kPool.size()]);
    }
  }
  return text;
}

// On text that a charset can encode, decoding gives back exactly what encoding took; and what it
// cannot encode becomes "?" for each code unit, as the box shows it.
TEST(Charset, RoundTripsWhatItCanEncodeAndShowsTheRestAsQuestionMarks) {
  std::mt19937 random(14);
  for (const CharsetInfo& info : Charsets()) {
    SCOPED_TRACE(std::string(info.name));
    for (int round = 0; round < 300; ++round) {
      const std::u16string text = AnyText(random, random() % 40);
      std::u16string boxed = text;
      const std::size_t lost = ReplaceUnencodable(boxed, info.charset);
      ASSERT_EQ(DecodeBytes(EncodeText(text, info.charset), info.charset), boxed) << U8(text);
      ASSERT_EQ(DecodeBytes(EncodeText(boxed, info.charset), info.charset), boxed);
      std::size_t questionMarks = 0;
      for (std::size_t i = 0; i < text.size(); ++i)
        questionMarks += boxed[i] == u'?' && text[i] != u'?';
      ASSERT_EQ(lost, questionMarks);
      if (info.keepsEveryCharacter) {
        ASSERT_EQ(boxed, ApplyTextBoxRule(text)); // only lone surrogates go
      }
    }
  }
}

// A box keeps every character; the bytes of a byte operation follow the charset, counted per
// character (a pair is one).
TEST(Charset, ABoxKeepsEveryCharacterAndTheBytesFollowTheCharset) {
  const std::u16string boxed = ApplyTextBoxRule(u"中\U0001F600한é\xD800");
  EXPECT_EQ(boxed, u"中\U0001F600한é?");
  const struct {
    Charset charset;
    std::u16string_view written;
    std::size_t questionMarks;
  } cases[] = {
      {Charset::Gbk, u"中???é?", 2},
      {Charset::Utf8, u"中\U0001F600한é?", 0},
      {Charset::Gb18030, u"中\U0001F600한é?", 0},
      {Charset::EucKr, u"中??한??", 2},
      {Charset::Windows1252, u"????é?", 3},
  };
  for (const auto& c : cases) {
    std::u16string written = boxed;
    EXPECT_EQ(WriteUnencodableAsQuestionMarks(written, c.charset), c.questionMarks);
    EXPECT_EQ(written, c.written);
    EXPECT_EQ(CountUnencodable(boxed, c.charset), c.questionMarks);
  }
}

TEST(Charset, StrictDecodingNamesTheFirstBadByte) {
  struct Case {
    Charset charset;
    std::string_view bytes;
    std::size_t position;
  };
  const Case cases[] = {
      {Charset::Gbk, "ab\xD6"sv, 2},
      {Charset::Gbk, "\xD6\xD0\x81\x20"sv, 2},
      {Charset::Big5, "\xA4\xA4\xA4"sv, 2},
      {Charset::Utf8, "a\xE4\xB8"sv, 1},
      {Charset::Utf16Le, "a\0b"sv, 2},
      {Charset::Utf16Le,
       "\x3D\xD8"
       "a\0"sv,
       0},
      {Charset::Utf16Be, "\0a\xDC\x00"sv, 2},
      {Charset::Gb18030, "ab\x81\x30"sv, 2},
      {Charset::ShiftJis, "\x93\xFA\x81"sv, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(InfoOf(c.charset).name));
    const Result<std::u16string> decoded = DecodeBytesStrictly(c.bytes, c.charset);
    ASSERT_FALSE(decoded);
    EXPECT_EQ(decoded.error().code, ErrorCode::InvalidBytes);
    EXPECT_EQ(decoded.error().position, c.position);
    EXPECT_NE(DecodeBytes(c.bytes, c.charset).find(u'\uFFFD'), std::u16string::npos);
  }
}

TEST(Charset, CharacterOfBytesTakesExactlyOneCharacter) {
  struct Case {
    Charset charset;
    std::string_view bytes;
    std::u16string_view character;
  };
  const Case cases[] = {
      {Charset::Gbk, "\xD6\xD0"sv, u"中"},
      {Charset::Gbk, "\x80"sv, u"€"},
      {Charset::Gbk, "\xD6"sv, u""},
      {Charset::Gbk, "AB"sv, u""},
      {Charset::Utf8, "\xE4\xB8\xAD"sv, u"中"},
      {Charset::Utf8, "\xF0\x9F\x98\x80"sv, u"\U0001F600"},
      {Charset::Utf8, "\xE4\xB8"sv, u""},
      {Charset::Utf8, "\xC0\x80"sv, u""},
      {Charset::Utf8,
       "\xE4\xB8\xAD"
       "A"sv,
       u""},
      {Charset::Utf16Le, "\x2D\x4E"sv, u"中"},
      {Charset::Utf16Le, "\x3D\xD8\x00\xDE"sv, u"\U0001F600"},
      {Charset::Utf16Le, "\x3D\xD8"sv, u""},
      {Charset::Gb18030, "\x94\x39\xFC\x36"sv, u"\U0001F600"},
      {Charset::Windows1252, "\xE9"sv, u"é"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(InfoOf(c.charset).name) + " " + U8(c.character));
    EXPECT_EQ(CharacterOfBytes(c.bytes, c.charset).view(), c.character);
  }
}

// The box rule passes runs of 32 units with one test each; the plain loops are its oracle, on
// texts whose NUL, surrogates and pairs fall at every offset around the runs.
TEST(BoxRule, AgreesWithThePlainLoopsAroundEveryRun) {
  std::mt19937 random(1216);
  constexpr std::u16string_view kOthers = u"中é\xD83D\xDE00\xD800\xDC00\uFFFD\u0000"sv;
  for (int round = 0; round < 6000; ++round) {
    {
      std::u16string text;
      const std::size_t length = random() % 200;
      while (text.size() < length) {
        text.append(random() % 70, static_cast<char16_t>(u'a' + random() % 26));
        for (std::size_t n = random() % 3; n > 0; --n)
          text.push_back(kOthers[random() % kOthers.size()]);
      }
      std::u16string expected = text.substr(0, text.find(u'\0'));
      std::size_t lost = 0;
      for (std::size_t i = 0; i < expected.size(); ++i) {
        if (IsHighSurrogate(expected[i]) && i + 1 < expected.size() &&
            IsLowSurrogate(expected[i + 1])) {
          ++i;
        } else if (IsSurrogate(expected[i])) {
          expected[i] = u'?';
          ++lost;
        }
      }
      ASSERT_EQ(TextBoxLength(text),
                text.find(u'\0') == std::u16string::npos ? text.size() : text.find(u'\0'));
      ASSERT_EQ(ApplyTextBoxRuleInPlace(text).questionMarks, lost);
      ASSERT_EQ(text, expected);
    }
  }
}

} // namespace
} // namespace kelvaro
