#include "codec/text-encodings/base64.h"

#include "text/codepage.h"

#include <algorithm>

namespace kelvaro {
namespace {

constexpr char16_t kAlphabet[] =
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Base64 sextet of each byte. White space is marked to be skipped; every other byte outside the
// alphabet reads as zero bits rather than being rejected.
constexpr std::int8_t kSkip = -1;
constexpr std::array<std::int8_t, 256> kSextetOf = [] {
  std::array<std::int8_t, 256> table{};
  for (int v = 0; v < 64; ++v)
    table[static_cast<unsigned char>(kAlphabet[v])] = static_cast<std::int8_t>(v);
  for (const unsigned char blank : {' ', '\t', '\r', '\n'})
    table[blank] = kSkip;
  return table;
}();

constexpr char16_t kReplacement = 0xFFFD;

// Units converted per step: the step's bytes and output stay in the first-level cache, and the
// result is written once, by appending, without being zero-filled first.
constexpr std::size_t kChunkUnits = 2048;

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
  if (real < 3)
    chars[3] = u'=';
  if (real < 2)
    chars[2] = u'=';
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
  std::u16string encoded;
  // At most two bytes per unit. Pages of the reservation past what is written are never touched.
  encoded.reserve((text.size() * 2 + 2) / 3 * 4);
  // The bytes of one chunk of units, after the up to two bytes carried from the chunk before.
  std::uint8_t bytes[2 * kChunkUnits + 3];
  char16_t chars[(2 * kChunkUnits + 2) / 3 * 4];
  std::size_t carried = 0;
  for (std::size_t start = 0; start < text.size(); start += kChunkUnits) {
    const std::size_t count = carried + WriteAnsiBytes(text.substr(start, kChunkUnits),
                                                       reinterpret_cast<char*>(bytes + carried));
    const std::size_t whole = count / 3 * 3;
    char16_t* out = chars;
    for (std::size_t i = 0; i < whole; i += 3, out += 4) {
      const std::array<char16_t, 4> group =
          Base64EncodeGroup({bytes[i], bytes[i + 1], bytes[i + 2]}, 3);
      std::copy(group.begin(), group.end(), out);
    }
    encoded.append(chars, static_cast<std::size_t>(out - chars));
    carried = count - whole;
    std::copy(bytes + whole, bytes + count, bytes);
  }
  if (carried > 0) {
    const std::array<char16_t, 4> group = Base64EncodeGroup(
        {bytes[0], carried > 1 ? bytes[1] : std::uint8_t{0}, 0}, static_cast<int>(carried));
    encoded.append(group.data(), group.size());
  }
  return encoded;
}

std::u16string Base64Decode(std::u16string_view text) {
  if (text.empty())
    return {};
  std::string buffer;
  // Every unit is at most two bytes of the code page, so at most two places.
  buffer.reserve(text.size() / 2 * 3 + 4);
  std::uint8_t decoded[kChunkUnits / 2 * 3 + 3];
  std::array<std::uint8_t, 4> group{};
  int filled = 0;
  std::size_t counted = 0;
  for (std::size_t start = 0; start < text.size(); start += kChunkUnits) {
    std::uint8_t* out = decoded;
    const auto place = [&](std::uint8_t byte) {
      group[filled++] = byte;
      if (filled == 4) {
        const std::array<std::uint8_t, 3> three = Base64DecodeGroup(group);
        std::copy(three.begin(), three.end(), out);
        out += 3;
        filled = 0;
      }
    };
    for (const char byte : ToAnsiBytes(text.substr(start, kChunkUnits))) {
      const auto b = static_cast<std::uint8_t>(byte);
      if (kSextetOf[b] == kSkip)
        continue;
      place(b);
      ++counted;
    }
    buffer.append(reinterpret_cast<const char*>(decoded), static_cast<std::size_t>(out - decoded));
  }
  // A short last group of two or three places decodes as if the missing places were zero; a
  // single place left over holds too few bits for a byte and is ignored.
  if (filled >= 2) {
    std::fill(group.begin() + filled, group.end(), 0);
    const std::array<std::uint8_t, 3> three = Base64DecodeGroup(group);
    buffer.append(reinterpret_cast<const char*>(three.data()), three.size());
  }
  // Growing adds the spare zero bytes; shrinking only ever drops a zero byte.
  buffer.resize(DecodeBufferLength(counted));
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
    } else if (b == 0x80 || b == 0xFF) {
      // Single bytes of code page 936 (0x80 is €). Pairing them with the next byte would swallow
      // the lead byte of the character after a € and garble everything that follows.
      AppendAnsiCodeChars(text, b);
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
