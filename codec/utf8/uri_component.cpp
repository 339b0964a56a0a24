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
    } else if (unit < 0x800) {
      escape(0xC0 | (unit >> 6));
      escape(0x80 | (unit & 0x3F));
    } else if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      const char32_t codePoint = CombineSurrogates(unit, text[++i]);
      escape(0xF0 | (codePoint >> 18));
      escape(0x80 | ((codePoint >> 12) & 0x3F));
      escape(0x80 | ((codePoint >> 6) & 0x3F));
      escape(0x80 | (codePoint & 0x3F));
    } else {
      const char32_t codePoint = IsSurrogate(unit) ? 0xFFFD : unit; // a lone surrogate
      escape(0xE0 | (codePoint >> 12));
      escape(0x80 | ((codePoint >> 6) & 0x3F));
      escape(0x80 | (codePoint & 0x3F));
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
      const EscapedUtf8 sequence = ReadEscapedUtf8(text, i, true, false);
      if (sequence.length != 0) {
        write = WriteCodePoint(write, sequence.codePoint);
        i += sequence.length;
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
