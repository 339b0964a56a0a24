#include "support/text.h"
#include "text/width.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <map>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>

namespace kelvaro::testing {
namespace {

struct Case {
  std::u16string_view half, full;
};

constexpr Case kPairs[] = {
    {u"", u""},
    {u"A b", u"Ａ　ｂ"},
    {u"!~", u"！～"},
    {u"0123456789", u"０１２３４５６７８９"},
    {u"中文、。", u"中文、。"},
    {u"\t\r\n\x7F", u"\t\r\n\x7F"},
};

TEST(FullWidth, MapsAsciiSignsAndSpace) {
  for (const auto& c : kPairs) {
    SCOPED_TRACE(U8(c.half));
    EXPECT_EQ(FullWidth(c.half), c.full);
    EXPECT_EQ(HalfWidth(c.full), c.half);
  }
}

// The mojibake's own full-width step maps these too; this pair leaves them alone.
TEST(FullWidth, LeavesTheOtherHalfWidthSignsAlone) {
  EXPECT_EQ(FullWidth(u"¢£¬¯¦¥₩"), u"¢£¬¯¦¥₩");
  EXPECT_EQ(HalfWidth(u"￠￡￢￣￤￥￦"), u"￠￡￢￣￤￥￦");
  EXPECT_EQ(HalfWidth(u"\xFF00\xFF5F\xFF61ｱ"), u"\xFF00\xFF5F\xFF61ｱ");
}

// ICU's decomposition data as the oracle: the full-width forms are exactly the code units whose
// decomposition is <wide> of one ASCII character, space included.
TEST(HalfWidth, AgreesWithWideDecompositionsOfEveryCodeUnit) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfkd = icu::Normalizer2::getNFKDInstance(status);
  ASSERT_TRUE(U_SUCCESS(status));
  std::map<char16_t, char16_t> fullOf;
  for (std::uint32_t c = 0; c < 0x10000; ++c) {
    const auto unit = static_cast<char16_t>(c);
    char16_t half = unit;
    icu::UnicodeString decomposition;
    if (u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_DECOMPOSITION_TYPE) == U_DT_WIDE &&
        nfkd->getRawDecomposition(static_cast<UChar32>(c), decomposition) &&
        decomposition.length() == 1 && decomposition[0] >= 0x20 && decomposition[0] < 0x7F) {
      half = decomposition[0];
      fullOf[half] = unit;
    }
    ASSERT_EQ(HalfWidth(std::u16string(1, unit)), std::u16string(1, half)) << std::hex << c;
  }
  ASSERT_EQ(fullOf.size(), 95u);
  for (std::uint32_t c = 0; c < 0x10000; ++c) {
    const auto unit = static_cast<char16_t>(c);
    const auto found = fullOf.find(unit);
    const char16_t full = found == fullOf.end() ? unit : found->second;
    ASSERT_EQ(FullWidth(std::u16string(1, unit)), std::u16string(1, full)) << std::hex << c;
  }
}


TEST(Width, ToFullWidthAddsTheSevenSignsToFullWidth) {
  EXPECT_EQ(ToFullWidth(u"A b!~"), u"Ａ\u3000ｂ！～");
  EXPECT_EQ(ToFullWidth(u"中\r\n¥¢£¬¯¦₩"), u"中\r\n￥￠￡￢￣￤￦");
  EXPECT_EQ(FullWidth(u"¥A"), u"¥Ａ");
}

} // namespace
} // namespace kelvaro::testing
