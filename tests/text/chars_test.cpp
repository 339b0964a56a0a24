#include "support/text.h"
#include "text/chars.h"

#include <gtest/gtest.h>

namespace kelvaro {
namespace {

using testing::U8;

TEST(Chars, ToFullWidthMapsPrintableAsciiAndSpace) {
  EXPECT_EQ(ToFullWidth(u"A b!~"), u"Ａ\u3000ｂ！～");
  EXPECT_EQ(ToFullWidth(u"中\r\n¥"), u"中\r\n￥");
}

} // namespace
} // namespace kelvaro
