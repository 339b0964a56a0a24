#include "codec/utf8/utf8_escape.h"

#include "text/hex.h"
#include "text/utf.h"

#include <cstdint>

namespace kelvaro {

std::u16string UTF8Encode(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() * 9);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp < 0x80) {
      out.push_back(static_cast<char16_t>(cp));
      continue;
    }
    // A pair is its character's one four-byte sequence, as every other tool writes it; a lone
    // surrogate keeps the three-byte form of its own value, which UTF8Decode reads back.
    if (IsHighSurrogate(cp) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
      cp = CombineSurrogates(cp, text[++i]);
    unsigned char bytes[4];
    const unsigned char* end = WriteUtf8(bytes, cp);
    for (const unsigned char* b = bytes; b != end; ++b)
      AppendPercentByte(out, *b);
  }
  return out;
}

std::u16string UTF8Decode(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size()); // six characters or more decode to at most two code units
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t percent = text.find(u'%', i);
    if (percent == std::u16string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    out.append(text.substr(i, percent - i));
    const std::optional<EscapedUtf8> sequence = ReadEscapedUtf8(text, percent, false, true);
    if (!sequence) {
      out.push_back(u'%');
      i = percent + 1;
      continue;
    }
    AppendCodePoint(out, sequence->codePoint);
    i = percent + sequence->length;
  }
  return out;
}

} // namespace kelvaro
