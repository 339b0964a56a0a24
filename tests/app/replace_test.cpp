#include "app/replace.h"
#include "support/text.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

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

// Counts the comparisons of code units a scan makes, so a test can hold it to a bound.
struct CountingEqual {
  std::size_t* count;
  bool operator()(char16_t a, char16_t b) const {
    ++*count;
    return a == b;
  }
};

// The naive scan again, comparing through the counter: it shows that the bound below tells a
// quadratic scan from a linear one on the inputs used.
std::size_t NaiveComparisons(std::u16string_view s, std::u16string_view f) {
  std::size_t count = 0;
  const CountingEqual equal{&count};
  for (std::size_t i = 0; i + f.size() <= s.size(); ++i) {
    std::size_t k = 0;
    while (k < f.size() && equal(s[i + k], f[k]))
      ++k;
  }
  return count;
}

std::size_t LinearBound(std::u16string_view s, std::u16string_view f) {
  return 2 * (s.size() + f.size());
}

struct PathologicalCase {
  std::u16string text, find;
};

// Find texts that make a naive scan back up after almost every unit.
std::vector<PathologicalCase> PathologicalCases(std::size_t textSize, std::size_t findSize) {
  std::u16string abab(textSize, u'a');
  for (std::size_t i = 1; i < abab.size(); i += 2)
    abab[i] = u'b';
  std::u16string ababc(findSize, u'a');
  for (std::size_t i = 1; i < ababc.size(); i += 2)
    ababc[i] = u'b';
  ababc.back() = u'c';
  return {
      {std::u16string(textSize, u'a'), std::u16string(findSize - 1, u'a') + u"b"},
      {std::u16string(textSize, u'a'), u"b" + std::u16string(findSize - 1, u'a')},
      {abab, ababc},
      {std::u16string(textSize, u'a'), std::u16string(findSize, u'a')}, // matches everywhere
  };
}

TEST(ReplaceAll, TheComparisonBoundTellsAQuadraticScanApart) {
  for (const PathologicalCase& c : PathologicalCases(10'000, 100)) {
    SCOPED_TRACE(U8(c.find.substr(0, 8)));
    if (c.find.starts_with(u"b"))
      continue; // the naive scan fails at once there; only the others show the difference
    EXPECT_GT(NaiveComparisons(c.text, c.find), 10 * LinearBound(c.text, c.find));
  }
}

TEST(ReplaceAll, StaysLinearOnPathologicalFindTexts) {
  // A naive search would compare about 10^6 * 10^3 units on most of these.
  for (const PathologicalCase& c : PathologicalCases(1'000'000, 1'000)) {
    SCOPED_TRACE(U8(c.find.substr(0, 8)));
    std::size_t comparisons = 0;
    const std::u16string replaced =
        ReplaceAllComparing(c.text, c.find, u"x", CountingEqual{&comparisons});
    EXPECT_LE(comparisons, LinearBound(c.text, c.find));
    // The counted scan is the scan ReplaceAll runs.
    EXPECT_EQ(replaced, ReplaceAll(c.text, c.find, u"x"));
  }
}

TEST(ReplaceAll, StaysWithinTheBoundOnGeneratedText) {
  std::mt19937 random(11);
  for (int round = 0; round < 2000; ++round) {
    std::u16string s(random() % 200, u'a'), f(1 + random() % 6, u'a');
    for (char16_t& c : s)
      c = random() % 3 ? u'a' : u'b';
    for (char16_t& c : f)
      c = random() % 3 ? u'a' : u'b';
    std::size_t comparisons = 0;
    (void)ReplaceAllComparing(s, f, u"", CountingEqual{&comparisons});
    ASSERT_LE(comparisons, LinearBound(s, f)) << U8(s) << " / " << U8(f);
  }
}

} // namespace
} // namespace kelvaro::app
