#include "codec/utf8/utf8_escape.h"

#include "text/hex.h"
#include "text/utf.h"

#include <cstdint>

namespace kelvaro {
namespace {

void AppendEscapedByte(char16_t*& out, unsigned byte) {
  *out++ = u'%';
  out = WriteHexByte(out, static_cast<std::uint8_t>(byte));
}

// The well-formed sequence escaped at text[i], where a "%" stands: the code point and how many
// characters it spans, or a length of 0 when there is none.
struct Sequence {
  char32_t codePoint = 0;
  std::size_t length = 0;
};

Sequence ReadSequence(std::u16string_view text, std::size_t i) {
  const int lead = PercentByteAt(text, i);
  // ED A0..ED BF (surrogates) are accepted on purpose: UTF8Encode writes them.
  const std::optional<Utf8Lead> rule =
      lead < 0 ? std::nullopt : Utf8LeadOf(static_cast<unsigned char>(lead), true);
  if (!rule)
    return {};
  char32_t value = rule->bits;
  std::size_t k = i + 3;
  for (int n = 0; n < rule->continuations; ++n, k += 3) {
    const int byte = PercentByteAt(text, k);
    if (byte < (n == 0 ? rule->secondLow : 0x80) || byte > (n == 0 ? rule->secondHigh : 0xBF))
      return {};
    value = value << 6 | (byte & 0x3F);
  }
  return {value, k - i};
}

} // namespace

std::u16string UTF8Encode(std::u16string_view text) {
  // The exact length first: the output is allocated once, at the size it ends with, and filled
  // through a pointer without a capacity check per character.
  std::size_t length = 0;
  for (const char16_t unit : text)
    length += unit < 0x80 ? 1 : unit < 0x800 ? 6 : 9;
  std::u16string out(length, u'\0');
  char16_t* write = out.data();
  for (const char16_t unit : text) {
    if (unit < 0x80) {
      *write++ = unit;
    } else if (unit < 0x800) {
      AppendEscapedByte(write, 0xC0 | (unit >> 6));
      AppendEscapedByte(write, 0x80 | (unit & 0x3F));
    } else {
      AppendEscapedByte(write, 0xE0 | (unit >> 12));
      AppendEscapedByte(write, 0x80 | ((unit >> 6) & 0x3F));
      AppendEscapedByte(write, 0x80 | (unit & 0x3F));
    }
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
    const Sequence sequence = ReadSequence(text, percent);
    if (sequence.length == 0) {
      out.push_back(u'%');
      i = percent + 1;
      continue;
    }
    AppendCodePoint(out, sequence.codePoint);
    i = percent + sequence.length;
  }
  return out;
}

} // namespace kelvaro
