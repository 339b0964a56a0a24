#include "support/generate.h"

#include "text/codepage.h"

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

} // namespace kelvaro::testing
