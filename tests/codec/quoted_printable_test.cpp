#include "codec/text-encodings/quoted_printable.h"
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
  std::u16string_view in;
  Charset charset;
  std::u16string_view out;
};

constexpr Case kEncodes[] = {
    {u"中", Charset::Utf8, u"=E4=B8=AD"},
    {u"中文", Charset::Gbk, u"=D6=D0=CE=C4"},
    {u"a=b", Charset::Utf8, u"a=3Db"},
    {u"tab\tand space ", Charset::Utf8, u"tab\tand space=20"}, // a blank ending a line is escaped
    {u"end\t\r\nnext\nlast\r", Charset::Utf8, u"end=09\r\nnext\r\nlast\r\n"},
    {u"Café", Charset::Windows1252, u"Caf=E9"},
    {u"", Charset::Utf8, u""},
};

TEST(QuotedPrintableEncode, EscapesWhatIsNotPrintableAndBreaksLinesAsCrLf) {
  for (const Case& c : kEncodes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(QuotedPrintableEncode(c.in, c.charset), c.out);
  }
}

// RFC 2045, section 6.7: lines of at most 76 characters, the soft break's "=" included, and a
// soft break never inside an escape.
TEST(QuotedPrintableEncode, SoftBreaksKeepEveryLineWithin76Characters) {
  std::mt19937 random(2045);
  for (int round = 0; round < 200; ++round) {
    const std::u16string text = testing::GenerateMixedText(random, random() % 400, true);
    const std::u16string encoded = QuotedPrintableEncode(text, Charset::Utf8);
    SCOPED_TRACE(U8(encoded));
    std::size_t start = 0;
    for (std::size_t end; (end = encoded.find(u"\r\n", start)) != std::u16string::npos;
         start = end + 2) {
      const std::u16string_view line = std::u16string_view(encoded).substr(start, end - start);
      EXPECT_LE(line.size(), 76u);
      // The line's last "=" is a soft break or a whole escape.
      const std::size_t equals = line.rfind(u'=');
      EXPECT_TRUE(equals == std::u16string_view::npos || equals + 1 == line.size() ||
                  equals + 3 <= line.size())
          << U8(line);
    }
    EXPECT_LE(encoded.size() - start, 76u);
    // Lines end in CR LF after the round trip, whichever break they had.
    std::u16string crlf;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == u'\r' || text[i] == u'\n') {
        crlf += u"\r\n";
        i += text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
      } else {
        crlf.push_back(text[i]);
      }
    }
    EXPECT_EQ(QuotedPrintableDecode(encoded, Charset::Utf8), crlf);
  }
}

TEST(QuotedPrintableDecode, RemovesSoftBreaksAsRfc2045Shows) {
  // RFC 2045, section 6.7, rule 5.
  EXPECT_EQ(QuotedPrintableDecode(u"Now's the time =\r\nfor all folk to come=\r\n to the aid of "
                                  u"their country.",
                                  Charset::Utf8),
            u"Now's the time for all folk to come to the aid of their country.");
  EXPECT_EQ(QuotedPrintableDecode(u"=E4=B8=AD=e6=96=87", Charset::Utf8), u"中文");
  EXPECT_EQ(QuotedPrintableDecode(u"a=\nb=  \r\nc\nd", Charset::Utf8), u"abc\r\nd");
  EXPECT_EQ(QuotedPrintableDecode(u"=G0 =4 x= y 中=D6=D0", Charset::Gbk), u"=G0 =4 x= y 中中");
  EXPECT_EQ(QuotedPrintableDecode(u"trailing  \r\nblanks\t", Charset::Utf8), u"trailing\r\nblanks");
}

// quopri's decoding of what mailers write (and of quopri's own encoding, soft breaks at its own
// columns): the bytes, read one to one through ISO-8859-1.
TEST(QuotedPrintableDecode, AgreesWithQuopri) {
  for (const auto& c : testing::kQuotedPrintableDecodes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(EncodeText(QuotedPrintableDecode(c.in, Charset::Iso8859_1), Charset::Iso8859_1),
              c.bytes);
    if (const std::optional<std::string> strict = QuotedPrintableDecodeBytes(c.in)) {
      EXPECT_EQ(*strict, c.bytes);
    }
  }
}

TEST(QuotedPrintableDecodeBytes, TakesOnlyWholeQuotedPrintableWithAHighByte) {
  EXPECT_EQ(QuotedPrintableDecodeBytes(u"=E4=B8=AD.txt=\r\n!\r\nx"), "\xE4\xB8\xAD.txt!\r\nx");
  for (const std::u16string_view text :
       {u""sv, u"plain"sv, u"=41=42"sv, u"=E4=B8=AD =G0"sv, u"=E4中"sv, u"a=E4="sv}) {
    SCOPED_TRACE(U8(text));
    EXPECT_EQ(QuotedPrintableDecodeBytes(text).has_value(), text == u"a=E4=");
  }
}

} // namespace
} // namespace kelvaro
