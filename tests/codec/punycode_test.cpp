#include "codec/escape/punycode.h"
#include "notation_oracle.h"
#include "support/text.h"

#include <gtest/gtest.h>

namespace kelvaro {
namespace {

using namespace std::string_view_literals;
using testing::U8;

struct Case {
  std::u16string_view unicode, ascii;
};

// RFC 3492, section 7.1: the sample strings that are host labels as they stand (the others hold
// capitals, which IDNA maps to small letters before encoding, and the Korean one is longer than
// the 63 octets of a label; the Russian one is given here in small letters, its case annotation
// dropped).
constexpr Case kRfc3492[] = {
    {u"他们为什么不说中文", u"xn--ihqwcrb4cv8a8dqg056pqjye"},
    {u"他們爲什麽不說中文", u"xn--ihqwctvzc91f659drss3x8bo0yb"},
    {u"なぜみんな日本語を話してくれないのか", u"xn--n8jok5ay5dzabd5bym9f0cm5685rrjetr6pdxa"},
    {u"почемужеонинеговорятпорусски", u"xn--b1abfaaepdrnnbgefbadotcwatmq2g4l"},
    {u"ひとつ屋根の下2", u"xn--2-u9tlzr9756bt3uc0v"},
    {u"パフィーdeルンバ", u"xn--de-jg4avhby1noc0d"},
    {u"そのスピードで", u"xn--d9juau41awczczp"},
};

TEST(Punycode, Rfc3492SampleStrings) {
  for (const Case& c : kRfc3492) {
    SCOPED_TRACE(U8(c.unicode));
    EXPECT_EQ(PunycodeEncode(c.unicode).value_or(u"(refused)"), c.ascii);
    EXPECT_EQ(PunycodeDecode(c.ascii).value_or(u"(refused)"), c.unicode);
  }
}

TEST(Punycode, AgreesWithPythonsPunycodeCodecLabelByLabel) {
  for (const auto& c : testing::kPunycodeNames) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(PunycodeEncode(c.in).value_or(u"(refused)"), c.out);
    EXPECT_EQ(PunycodeDecode(c.out).value_or(u"(refused)"), c.in);
    EXPECT_EQ(PunycodeDecodeStrictly(c.out).value_or(u"(refused)"), c.in);
  }
}

constexpr Case kHosts[] = {
    {u"中文.com", u"xn--fiq228c.com"},
    {u"https://中文.com/路径?q=中#中", u"https://xn--fiq228c.com/路径?q=中#中"},
    {u"http://用户@中文.com:8080/", u"http://用户@xn--fiq228c.com:8080/"},
    {u"  例子.测试\r\n", u"  xn--fsqu00a.xn--0zwm56d\r\n"},
    {u"faß.de", u"xn--fa-hia.de"}, // non-transitional: ß stays
    {u"example.com", u"example.com"},
};

TEST(Punycode, ConvertsOnlyTheHostOfAUrl) {
  for (const Case& c : kHosts) {
    SCOPED_TRACE(U8(c.unicode));
    EXPECT_EQ(PunycodeEncode(c.unicode).value_or(u"(refused)"), c.ascii);
    EXPECT_EQ(PunycodeDecode(c.ascii).value_or(u"(refused)"), c.unicode);
  }
  EXPECT_EQ(PunycodeEncode(u"中文.COM").value_or(u"(refused)"), u"xn--fiq228c.com");
  EXPECT_EQ(PunycodeDecode(u"XN--FIQ228C.com").value_or(u"(refused)"), u"中文.com");
}

TEST(Punycode, RefusesWhatIdnaRejects) {
  for (const std::u16string_view text :
       {u""sv, u"  "sv, u"http:///path"sv, u"中 文.com"sv, u"a\u200Db.例子"sv, u"xn--a.com"sv,
        u"xn--zz.com"sv, u"中<文>.com"sv}) {
    SCOPED_TRACE(U8(text));
    const Result<std::u16string> encoded = PunycodeEncode(text);
    const Result<std::u16string> decoded = PunycodeDecode(text);
    EXPECT_TRUE(!encoded || !decoded);
    if (!encoded) {
      EXPECT_EQ(encoded.error().code, ErrorCode::NotAHostName);
    }
  }
  EXPECT_FALSE(PunycodeEncode(std::u16string(2000, u'中')));
}

TEST(PunycodeDecodeStrictly, TakesOnlyANameWithAnXnLabel) {
  EXPECT_EQ(PunycodeDecodeStrictly(u"xn--fiq228c.com").value_or(u"(refused)"), u"中文.com");
  EXPECT_EQ(PunycodeDecodeStrictly(u"http://www.xn--fiq228c.com/a").value_or(u"(refused)"),
            u"http://www.中文.com/a");
  for (const std::u16string_view text :
       {u""sv, u"example.com"sv, u"xn--zz.com"sv, u"see xn--fiq228c.com"sv, u"中文.com"sv,
        u"axn--fiq228c.com"sv}) {
    SCOPED_TRACE(U8(text));
    EXPECT_FALSE(PunycodeDecodeStrictly(text));
  }
}

} // namespace
} // namespace kelvaro
