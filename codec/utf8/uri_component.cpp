#include "codec/utf8/uri_component.h"

#include "text/hex.h"
#include "text/utf.h"

#include <array>
#include <cstdint>

namespace kelvaro {
namespace {

// The characters encodeURIComponent leaves as they are.
constexpr std::array<bool, 128> kUnreserved = [] {
  std::array<bool, 128> keep{};
  for (char16_t c = u'A'; c <= u'Z'; ++c)
    keep[c] = true;
  for (char16_t c = u'a'; c <= u'z'; ++c)
    keep[c] = true;
  for (char16_t c = u'0'; c <= u'9'; ++c)
    keep[c] = true;
  for (const char16_t c : std::u16string_view(u"-_.!~*'()"))
    keep[c] = true;
  return keep;
}();

} // namespace

std::u16string UriComponentEncode(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() * 9); // nine units a code unit at most (a pair's two take twelve)
  const auto escape = [&out](unsigned byte) {
    AppendPercentByte(out, static_cast<std::uint8_t>(byte));
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0x80) {
      if (kUnreserved[unit])
        out.push_back(unit);
      else
        escape(unit);
    } else {
      char32_t codePoint = unit;
      if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
        codePoint = CombineSurrogates(unit, text[++i]);
      else if (IsSurrogate(unit))
        codePoint = kReplacement; // a lone surrogate
      unsigned char bytes[4];
      const unsigned char* end = WriteUtf8(bytes, codePoint);
      for (const unsigned char* b = bytes; b != end; ++b)
        escape(*b);
    }
  }
  return out;
}

std::u16string UriComponentDecode(std::u16string_view text) {
  // Three characters or more give at most one code unit, twelve at most two: the output never
  // outgrows the input.
  std::u16string out(text.size(), u'\0');
  char16_t* write = out.data();
  std::size_t i = 0;
  while (i < text.size()) {
    const char16_t c = text[i];
    if (c == u'%') {
      if (const std::optional<EscapedUtf8> sequence = ReadEscapedUtf8(text, i, true, false)) {
        write = WriteCodePoint(write, sequence->codePoint);
        i += sequence->length;
        continue;
      }
    }
    *write++ = c;
    ++i;
  }
  out.resize(static_cast<std::size_t>(write - out.data()));
  return out;
}

} // namespace kelvaro
