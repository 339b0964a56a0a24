#include "bench_text.h"

#include <iterator>
#include <random>
#include <string_view>

namespace kelvaro {

std::u16string GenerateBenchText(std::size_t utf8Bytes) {
  std::mt19937 random(20261208);
  std::u16string text;
  text.reserve(utf8Bytes / 2);
  std::size_t size = 0;
  const std::u16string_view ascii[] = {u"Kelvaro ", u"GBK ",  u"2026 ",  u"UTF-8, ",
                                       u"a+b=c ",   u"100% ", u"x/y.z ", u"(test) "};
  while (size < utf8Bytes) {
    const unsigned pick = random() % 16;
    if (pick < 11) {
      // CJK ideographs U+4E00..U+7DFF, all of which code page 936 holds.
      text.push_back(static_cast<char16_t>(0x4E00 + random() % 0x3000));
      size += 3;
    } else if (pick < 15) {
      const auto word = ascii[random() % std::size(ascii)];
      text += word;
      size += word.size();
    } else {
      text += u"\r\n";
      size += 2;
    }
  }
  return text;
}

} // namespace kelvaro
