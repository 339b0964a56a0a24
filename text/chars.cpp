#include "text/chars.h"

namespace kelvaro {

std::u16string ToFullWidth(std::u16string_view text) {
  std::u16string wide(text);
  for (char16_t& c : wide) {
    if (c >= 0x21 && c <= 0x7E) {
      c = static_cast<char16_t>(c + 0xFEE0);
    } else if (c == 0x20) {
      c = 0x3000;
    } else {
      switch (c) {
      case 0x00A2:
        c = 0xFFE0;
        break; // ¢
      case 0x00A3:
        c = 0xFFE1;
        break; // £
      case 0x00AC:
        c = 0xFFE2;
        break; // ¬
      case 0x00AF:
        c = 0xFFE3;
        break; // ¯
      case 0x00A6:
        c = 0xFFE4;
        break; // ¦
      case 0x00A5:
        c = 0xFFE5;
        break; // ¥
      case 0x20A9:
        c = 0xFFE6;
        break; // ₩
      default:
        break;
      }
    }
  }
  return wide;
}

} // namespace kelvaro
