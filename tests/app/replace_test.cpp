#include "app/replace.h"
#include "support/text.h"

#include <gtest/gtest.h>
#include <random>

namespace kelvaro::app {
namespace {

using testing::U8;

// The scan as a reader would write it, quadratic and obviously right: the oracle for ReplaceAll.
std::u16string NaiveReplace(std::u16string_view s, std::u16string_view f, std::u16string_view r) {
  if (f.empty())
    return std::u16string(s);
  std::u16string out;
  std::size_t i = 0;
  while (i < s.size()) {
    if (s.substr(i, f.size()) == f) {
      out += r;
      i += f.size();
    } else {
      out.push_back(s[i++]);
    }
  }
  return out;
}

TEST(ReplaceAll, AgreesWithTheNaiveScanOnGeneratedText) {
  // A two-letter alphabet makes self-overlapping find texts (aa, aba, aab) common.
  std::mt19937 random(7);
  const auto word = [&](std::size_t maxSize) {
    std::u16string w(random() % (maxSize + 1), u'a');
    for (char16_t& c : w)
      c = random() % 2 ? u'a' : u'b';
    return w;
  };
  for (int round = 0; round < 5000; ++round) {
    const std::u16string s = word(40), f = word(4), r = word(3);
    SCOPED_TRACE(U8(s) + " / " + U8(f) + " / " + U8(r));
    ASSERT_EQ(ReplaceAll(s, f, r), NaiveReplace(s, f, r));
  }
}

TEST(ReplaceAll, StaysLinearOnAPathologicalFindText) {
  // A naive search would compare about 10^6 * 10^3 units here.
  const std::u16string text(1'000'000, u'a');
  const std::u16string find = std::u16string(999, u'a') + u"b";
  EXPECT_EQ(ReplaceAll(text, find, u"x"), text);
}

} // namespace
} // namespace kelvaro::app
