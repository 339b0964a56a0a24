#include "text/utf.h"

#include <cstdint>

namespace kelvaro {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

struct Decoded {
  char32_t codePoint;
  std::size_t length; ///< bytes consumed; for a bad sequence, the maximal subpart (at least 1)
  bool valid;
};

// One UTF-8 sequence at bytes[i], by the table of well-formed sequences in Unicode 3.9.
Decoded DecodeOne(std::string_view bytes, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return {lead, 1, true};
  int count;
  char32_t value;
  unsigned char low = 0x80, high = 0xBF; // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    count = 1, value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 2, value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 3, value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {0, 1, false};
  }
  std::size_t k = i + 1;
  for (int n = 0; n < count; ++n, ++k) {
    if (k >= bytes.size()) return {0, k - i, false};
    const unsigned char b = byte(k);
    const unsigned char lo = n == 0 ? low : 0x80, hi = n == 0 ? high : 0xBF;
    if (b < lo || b > hi) return {0, k - i, false};
    value = value << 6 | (b & 0x3F);
  }
  return {value, k - i, true};
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 | (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
  }
}

} // namespace

Result<std::u16string> Utf8ToUtf16(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      text.push_back(lead);
      ++i;
      continue;
    }
    const Decoded d = DecodeOne(bytes, i);
    if (!d.valid) return Fail(ErrorCode::InvalidUtf8, i);
    AppendCodePoint(text, d.codePoint);
    i += d.length;
  }
  return text;
}

std::u16string Utf8ToUtf16Lenient(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const Decoded d = DecodeOne(bytes, i);
    if (d.valid) {
      AppendCodePoint(text, d.codePoint);
    } else {
      text.push_back(kReplacement);
    }
    i += d.length;
  }
  return text;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 3);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      const bool pair = cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                        text[i + 1] <= 0xDFFF;
      if (pair) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
      } else {
        cp = kReplacement;
      }
    }
    if (cp < 0x80) {
      bytes.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      bytes.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      bytes.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      bytes.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      bytes.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      bytes.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      bytes.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return bytes;
}

} // namespace kelvaro
