#include "codec/text-encodings/base64.h"

#include "text/codepage.h"

namespace kelvaro {
namespace {

constexpr char16_t kAlphabet[] =
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Base64 sextet of each byte. White space is marked to be skipped; every other byte outside the
// alphabet reads as zero bits rather than being rejected.
constexpr std::int8_t kSkip = -1;
constexpr std::array<std::int8_t, 256> kSextetOf = [] {
  std::array<std::int8_t, 256> table{};
  for (int v = 0; v < 64; ++v) table[static_cast<unsigned char>(kAlphabet[v])] = static_cast<std::int8_t>(v);
  for (const unsigned char blank : {' ', '\t', '\r', '\n'}) table[blank] = kSkip;
  return table;
}();

constexpr char16_t kReplacement = 0xFFFD;

// Length of the zero-filled buffer the decoder writes its groups into, for `counted` input bytes:
// round(3 * counted / 4) + 1, halves to even. Past the last group it leaves one spare zero byte
// (two after a lone final byte); the one group write it can cut short, after a group of two
// characters, is a byte that is zero anyway.
std::size_t DecodeBufferLength(std::size_t counted) {
  const std::size_t whole = 3 * counted / 4;
  const std::size_t quarters = 3 * counted % 4;
  const bool roundUp = quarters == 3 || (quarters == 2 && whole % 2 == 1);
  return whole + (roundUp ? 1 : 0) + 1;
}

} // namespace

std::array<char16_t, 4> Base64EncodeGroup(std::array<std::uint8_t, 3> bytes, int real) {
  const std::uint8_t b0 = bytes[0];
  const std::uint8_t b1 = real > 1 ? bytes[1] : 0;
  const std::uint8_t b2 = real > 2 ? bytes[2] : 0;
  std::array<char16_t, 4> chars = {kAlphabet[b0 >> 2], kAlphabet[(b0 & 0x03) << 4 | b1 >> 4],
                                   kAlphabet[(b1 & 0x0F) << 2 | b2 >> 6], kAlphabet[b2 & 0x3F]};
  if (real < 3) chars[3] = u'=';
  if (real < 2) chars[2] = u'=';
  return chars;
}

std::array<std::uint8_t, 3> Base64DecodeGroup(std::array<std::uint8_t, 4> chars) {
  std::uint8_t c[4];
  for (int k = 0; k < 4; ++k) {
    const std::int8_t sextet = kSextetOf[chars[k]];
    c[k] = sextet == kSkip ? 0 : static_cast<std::uint8_t>(sextet);
  }
  return {static_cast<std::uint8_t>(c[0] << 2 | c[1] >> 4),
          static_cast<std::uint8_t>((c[1] & 0x0F) << 4 | c[2] >> 2),
          static_cast<std::uint8_t>((c[2] & 0x03) << 6 | c[3])};
}

std::u16string Base64Encode(std::u16string_view text) {
  const std::string bytes = ToAnsiBytes(text);
  const std::size_t length = bytes.size();
  std::u16string encoded;
  encoded.resize((length + 2) / 3 * 4);
  char16_t* out = encoded.data();
  const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const auto put = [&out](const std::array<char16_t, 4>& chars) {
    out[0] = chars[0];
    out[1] = chars[1];
    out[2] = chars[2];
    out[3] = chars[3];
    out += 4;
  };
  std::size_t i = 0;
  for (; length - i >= 3; i += 3) put(Base64EncodeGroup({in[i], in[i + 1], in[i + 2]}, 3));
  if (i < length) {
    const int real = static_cast<int>(length - i);
    put(Base64EncodeGroup({in[i], real > 1 ? in[i + 1] : std::uint8_t{0}, 0}, real));
  }
  return encoded;
}

std::u16string Base64Decode(std::u16string_view text) {
  if (text.empty()) return {};
  const std::string bytes = ToAnsiBytes(text);
  // Three bytes per four counted bytes, plus the group that a short tail still fills.
  std::string buffer;
  buffer.resize(bytes.size() / 4 * 3 + 3);
  auto* out = reinterpret_cast<std::uint8_t*>(buffer.data());
  std::size_t written = 0;
  std::size_t counted = 0;
  std::array<std::uint8_t, 4> group{};
  int filled = 0;
  for (const char byte : bytes) {
    const auto b = static_cast<std::uint8_t>(byte);
    if (kSextetOf[b] == kSkip) continue;
    group[filled++] = b;
    ++counted;
    if (filled == 4) {
      const std::array<std::uint8_t, 3> three = Base64DecodeGroup(group);
      out[written] = three[0];
      out[written + 1] = three[1];
      out[written + 2] = three[2];
      written += 3;
      filled = 0;
    }
  }
  // A short last group of two or three places decodes as if the missing places were zero; a
  // single place left over holds too few bits for a byte and is ignored.
  if (filled >= 2) {
    for (int k = filled; k < 4; ++k) group[k] = 0;
    const std::array<std::uint8_t, 3> three = Base64DecodeGroup(group);
    out[written] = three[0];
    out[written + 1] = three[1];
    out[written + 2] = three[2];
    written += 3;
  }
  const std::size_t length = DecodeBufferLength(counted);
  // The buffer is zero-filled, so growing adds the spare zero bytes, and shrinking only ever drops
  // a zero byte.
  buffer.resize(length);
  return AnsiPairsToText(buffer);
}

std::u16string AnsiPairsToText(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::size_t size = bytes.size();
  std::size_t i = 0;
  while (i < size) {
    const std::uint8_t b = in[i];
    if (b < 0x80) {
      text.push_back(b);
      ++i;
    } else if (i + 1 < size) {
      AppendAnsiCodeChars(text, static_cast<std::uint16_t>(b << 8 | in[i + 1]));
      i += 2;
    } else {
      text.push_back(kReplacement);
      ++i;
    }
  }
  return text;
}

} // namespace kelvaro
