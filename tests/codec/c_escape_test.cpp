#include "codec/escape/c_escape.h"
#include "notation_oracle.h"
#include "support/text.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace kelvaro {
namespace {

using namespace std::string_view_literals;
using testing::U8;

struct Case {
  std::u16string_view in;
  Charset charset;
  std::u16string_view out;
};

constexpr Case kEscapes[] = {
    {u"中文.txt", Charset::Utf8, uR"(\344\270\255\346\226\207.txt)"}, // as git quotes a path
    {u"中", Charset::Gbk, uR"(\326\320)"},
    {u"a\tb\nc\r", Charset::Utf8, uR"(a\tb\nc\r)"},
    {u"say \"hi\" \\ 'x'", Charset::Utf8, uR"(say \"hi\" \\ 'x')"},
    {u"\x01\x1F\x7F"
     u"0",
     Charset::Utf8, uR"(\001\037\1770)"}, // three digits: the 0 stays a 0
    {u"é", Charset::Windows1252, uR"(\351)"},
    {u"A中", Charset::Utf16Le, uR"(A\000-N)"},
    {u"", Charset::Utf8, u""},
};

TEST(CEscape, WritesHighBytesAndControlsAsOctal) {
  for (const Case& c : kEscapes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(CEscape(c.in, c.charset), c.out);
    EXPECT_EQ(CUnescape(c.out, c.charset), c.in);
  }
}

constexpr Case kUnescapes[] = {
    {uR"("\344\270\255\346\226\207.txt")", Charset::Utf8, u"中文.txt"},
    {uR"(b'\xe4\xb8\xad')", Charset::Utf8, u"中"},
    {uR"(b"it's \xE4\xB8\xAD")", Charset::Utf8, u"it's 中"},
    {uR"(\xd6\xd0\316\304)", Charset::Gbk, u"中文"},
    {uR"(\n\t\r\\\"\')", Charset::Utf8, u"\n\t\r\\\"'"},
    {uR"(\x4 \x \q \8 end\)", Charset::Utf8, uR"(\x4 \x \q \8 end\)"}, // no escapes: kept
    {uR"(\777)", Charset::Windows1252, u"?7"},      // \77 is a byte, the third 7 is not
    {uR"(\0\00\000)", Charset::Utf8, u"\0\0\0"sv},  // one to three digits
    {uR"(中\346\226\207)", Charset::Utf8, u"中文"}, // a literal character among escapes
    {uR"(\344\270)", Charset::Utf8, u"\uFFFD"},     // a cut sequence
    {uR"(ก\326\320)", Charset::Gbk, u"ก中"},        // GBK lacks ก: it stays as it is
    {uR"("unclosed)", Charset::Utf8, uR"("unclosed)"},
    {uR"("a\")", Charset::Utf8, uR"("a")"}, // the last quote is escaped: no wrapper
};

TEST(CUnescape, ReadsOctalHexAndNamedEscapesInsideQuotesOrBytes) {
  for (const Case& c : kUnescapes) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(CUnescape(c.in, c.charset), c.out);
  }
}

// Python's own repr of bytes: every byte comes back, and the strict form takes exactly the texts
// with an escaped byte from 0x80.
TEST(CUnescape, ReadsPythonsReprOfBytes) {
  for (const auto& c : testing::kBytesReprs) {
    SCOPED_TRACE(U8(c.in));
    EXPECT_EQ(EncodeText(CUnescape(c.in, Charset::Iso8859_1), Charset::Iso8859_1), c.bytes);
    const bool high = std::any_of(c.bytes.begin(), c.bytes.end(),
                                  [](char b) { return static_cast<unsigned char>(b) >= 0x80; });
    EXPECT_EQ(CUnescapeBytes(c.in), high ? std::optional<std::string>(c.bytes) : std::nullopt);
  }
}

TEST(CUnescapeBytes, RefusesTextsNotWhollyEscapedBytes) {
  for (const std::u16string_view text :
       {u""sv, u"plain text"sv, uR"(\n\t)"sv, uR"(\344\q)"sv, uR"(\344\x4)"sv, uR"(\344\)"sv,
        u"中\\344"sv, uR"(\u4e2d)"sv}) {
    SCOPED_TRACE(U8(text));
    EXPECT_FALSE(CUnescapeBytes(text));
  }
  EXPECT_EQ(CUnescapeBytes(uR"("\344\270\255.txt")"), "\xE4\xB8\xAD.txt");
}

} // namespace
} // namespace kelvaro
