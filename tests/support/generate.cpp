#include "support/generate.h"

#include "text/codepage.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace kelvaro::testing {

std::u16string GenerateGb2312Text(std::mt19937& random, std::size_t characters, TextMix mix) {
  std::string bytes;
  for (std::size_t i = 0; i < characters; ++i) {
    const unsigned pick = mix == TextMix::HanziOnly ? 0 : random() % 8;
    if (pick < 5) {
      bytes.push_back(static_cast<char>(0xB0 + random() % 0x27));
      bytes.push_back(static_cast<char>(0xA1 + random() % 0x5E));
    } else if (pick < 7 || mix == TextMix::WithAscii) {
      bytes.push_back(static_cast<char>(0x20 + random() % 0x5F));
    } else {
      bytes += "\r\n";
    }
  }
  return FromAnsiBytes(bytes);
}

std::u16string GenerateMixedText(std::mt19937& random, std::size_t units, bool withNul) {
  // GBK-only characters (丂 is 81 40), traditional forms, and scripts that only some charsets
  // hold: the round trips compare with the text as the charset's box keeps it.
  constexpr std::u16string_view kPool = u"Aa0 z~!+%&=?#<>\"'/\\"
                                        u"中文国语汉字测试编码的一是了"
                                        u"丂丄丅鋆"
                                        u"國語漢體後臺灣"
                                        u"ひらがなカタカナ"
                                        u"한국어"
                                        u"éüßçñ©°€¥"
                                        u"\u3000\uFF21\uFF41";
  constexpr std::u16string_view kPairs[] = {u"\U0001F600", u"\U00020000", u"\U0001F4A9"};
  constexpr std::u16string_view kBreaks[] = {u"\r", u"\n", u"\r\n"};
  std::u16string text;
  while (text.size() < units) {
    const unsigned pick = random() % 32;
    if (pick < 26) {
      text.push_back(kPool[random() % kPool.size()]);
    } else if (pick < 28) {
      text += kPairs[random() % std::size(kPairs)];
    } else if (pick < 31) {
      text += kBreaks[random() % std::size(kBreaks)];
    } else if (withNul) {
      text.push_back(u'\0');
    }
  }
  return text;
}

int PropertyRounds(int small) {
  if (const char* rounds = std::getenv("KELVARO_PROPERTY_ROUNDS"))
    return std::max(1, std::atoi(rounds));
  return small;
}

} // namespace kelvaro::testing
