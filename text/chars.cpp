#include "text/chars.h"

#include "text/codepage.h"
#include "text/hex.h"

namespace kelvaro {

Result<std::int16_t> AnsiCode(std::u16string_view text) {
  if (text.empty())
    return Fail(ErrorCode::EmptyText);
  return static_cast<std::int16_t>(AnsiCodeOfUnit(text.front()));
}

Result<std::int16_t> WideCode(std::u16string_view text) {
  if (text.empty())
    return Fail(ErrorCode::EmptyText);
  return static_cast<std::int16_t>(text.front());
}

Result<std::uint8_t> ByteCode(std::u16string_view text) {
  if (text.empty())
    return Fail(ErrorCode::EmptyText);
  return static_cast<std::uint8_t>(text.front() & 0xFF);
}

Result<std::uint8_t> ByteCode(std::string_view bytes) {
  if (bytes.empty())
    return Fail(ErrorCode::EmptyText);
  return static_cast<std::uint8_t>(bytes.front());
}

Result<std::u16string> CharFromAnsiCode(std::int32_t code) {
  if (code < -32768 || code > 65535)
    return Fail(ErrorCode::CodeOutOfRange);
  std::u16string text;
  AppendAnsiCodeChars(text, static_cast<std::uint16_t>(code & 0xFFFF));
  return text;
}

Result<std::u16string> CharFromWideCode(std::int32_t code) {
  if (code < -32768 || code > 65535)
    return Fail(ErrorCode::CodeOutOfRange);
  return std::u16string(1, static_cast<char16_t>(code & 0xFFFF));
}

std::u16string HexDigits(std::int64_t value, int widthBits) {
  const std::uint64_t mask = widthBits >= 64 ? ~0ULL : (1ULL << widthBits) - 1;
  std::uint64_t bits = static_cast<std::uint64_t>(value) & mask;
  if (bits == 0)
    return u"0";
  char16_t buffer[16];
  int n = 0;
  while (bits != 0) {
    buffer[n++] = kHexUpper[bits & 0xF];
    bits >>= 4;
  }
  std::u16string digits;
  digits.reserve(static_cast<std::size_t>(n));
  while (n > 0)
    digits.push_back(buffer[--n]);
  return digits;
}

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
