#include "codec/text-encodings/base64.h"
#include "text/utf.h"

#include "codec/text-encodings/base64_steps.h"
#include "text/codepage.h"
#include "text/processor.h"

#include <algorithm>
#include <type_traits>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

std::u16string Base64Encode(std::u16string_view text, Charset charset) {
  return Base64OfBytes(EncodeText(text, charset));
}

namespace {

// The groups of `whole` bytes (a multiple of three) at `out`, four characters each, without a test
// for the end in each: this loop is most of a big encoding.
template <class Char>
Char* WriteWholeGroupsOneByOne(const std::uint8_t* b, std::size_t whole, Char* out) {
  for (std::size_t i = 0; i < whole; i += 3, out += 4) {
    const std::uint32_t bits = std::uint32_t{b[i]} << 16 | std::uint32_t{b[i + 1]} << 8 | b[i + 2];
    out[0] = static_cast<Char>(kAlphabet[bits >> 18]);
    out[1] = static_cast<Char>(kAlphabet[bits >> 12 & 0x3F]);
    out[2] = static_cast<Char>(kAlphabet[bits >> 6 & 0x3F]);
    out[3] = static_cast<Char>(kAlphabet[bits & 0x3F]);
  }
  return out;
}

#if defined(__x86_64__)
// Eight groups a step, as bytes: each half of a vector takes twelve input bytes and gives sixteen
// characters. The shuffle puts a group's bytes b0 b1 b2 as b1 b0 b2 b1 in a 32-bit word, where two
// multiplications move each sextet to a byte of its own; the sextets become characters by adding
// the distance of their range of the alphabet (A-Z, a-z, 0-9, +, /) to its start, looked up by a
// byte shuffle. A step reads 28 bytes, four past its group's 24.
__attribute__((target("avx2"))) char* WriteWholeGroupsByAvx2(const std::uint8_t* b,
                                                             std::size_t whole, char* out) {
  const __m256i spread = _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10, 1, 0,
                                          2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
  const __m256i distances =
      _mm256_setr_epi8('a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                       '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 'A', 0, 0,
                       'a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                       '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 'A', 0, 0);
  std::size_t i = 0;
  for (; i + 28 <= whole; i += 24, out += 32) {
    const __m256i bytes = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i + 12)), 1);
    const __m256i words = _mm256_shuffle_epi8(bytes, spread);
    // Sextets 0 and 2 of each group to the low six bits of bytes 1 and 3, sextets 1 and 3 to
    // bytes 0 and 2.
    const __m256i high = _mm256_mulhi_epu16(_mm256_and_si256(words, _mm256_set1_epi32(0x0FC0FC00)),
                                            _mm256_set1_epi32(0x04000040));
    const __m256i low = _mm256_mullo_epi16(_mm256_and_si256(words, _mm256_set1_epi32(0x003F03F0)),
                                           _mm256_set1_epi32(0x01000010));
    const __m256i sextets = _mm256_or_si256(high, low);
    // The range of each sextet as an index into `distances`: 0..25 (A-Z) gives 13, 26..51 gives 0,
    // 52..61 gives 1..10, 62 and 63 give 11 and 12.
    __m256i range = _mm256_subs_epu8(sextets, _mm256_set1_epi8(51));
    const __m256i upper = _mm256_cmpgt_epi8(_mm256_set1_epi8(26), sextets);
    range = _mm256_or_si256(range, _mm256_and_si256(upper, _mm256_set1_epi8(13)));
    const __m256i characters = _mm256_add_epi8(sextets, _mm256_shuffle_epi8(distances, range));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), characters);
  }
  return WriteWholeGroupsOneByOne(b + i, whole - i, out);
}
#endif

template <class Char> Char* WriteWholeGroups(const std::uint8_t* b, std::size_t whole, Char* out) {
#if defined(__x86_64__)
  if constexpr (std::is_same_v<Char, char>) {
    if (ProcessorHasAvx2())
      return WriteWholeGroupsByAvx2(b, whole, out);
  }
#endif
  return WriteWholeGroupsOneByOne(b, whole, out);
}

// The short last group of `real` bytes (1 or 2), padded.
template <class Char> void WriteLastGroup(const std::uint8_t* b, std::size_t real, Char* out) {
  const std::array<char16_t, 4> group =
      Base64EncodeGroup({b[0], real > 1 ? b[1] : std::uint8_t{0}, 0}, static_cast<int>(real));
  std::transform(group.begin(), group.end(), out, [](char16_t c) { return static_cast<Char>(c); });
}

// The encoder for either string: UTF-16 for a box, bytes for UTF-8 passed through.
template <class String>
String Base64Of(std::string_view bytes) {
  const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
  String encoded((bytes.size() + 2) / 3 * 4, '\0');
  const std::size_t whole = bytes.size() - bytes.size() % 3;
  auto* out = WriteWholeGroups(b, whole, encoded.data());
  if (const std::size_t real = bytes.size() - whole; real > 0)
    WriteLastGroup(b + whole, real, out);
  return encoded;
}

} // namespace

std::u16string Base64OfBytes(std::string_view bytes) { return Base64Of<std::u16string>(bytes); }

std::string Base64AsciiOfBytes(std::string_view bytes) { return Base64Of<std::string>(bytes); }

Base64AsciiStream::Base64AsciiStream(std::size_t expectedBytes) {
  m_encoded.reserve((expectedBytes + 2) / 3 * 4);
}

void Base64AsciiStream::Add(std::string_view bytes) {
  const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
  std::size_t size = bytes.size();
  const auto grow = [this](std::size_t groups) {
    const std::size_t at = m_encoded.size();
    m_encoded.resize(at + 4 * groups);
    return m_encoded.data() + at;
  };
  // A group begun by the pieces before is completed first.
  if (m_groupSize > 0) {
    for (; m_groupSize < 3 && size > 0; --size)
      m_group[m_groupSize++] = *b++;
    if (m_groupSize < 3)
      return;
    WriteWholeGroups(m_group.data(), 3, grow(1));
    m_groupSize = 0;
  }
  const std::size_t whole = size - size % 3;
  WriteWholeGroups(b, whole, grow(whole / 3));
  for (std::size_t i = whole; i < size; ++i)
    m_group[m_groupSize++] = b[i];
}

std::string Base64AsciiStream::Finish() {
  if (m_groupSize > 0) {
    const std::size_t at = m_encoded.size();
    m_encoded.resize(at + 4);
    WriteLastGroup(m_group.data(), m_groupSize, m_encoded.data() + at);
    m_groupSize = 0;
  }
  return std::move(m_encoded);
}

std::u16string Base64Decode(std::u16string_view text, Charset charset) {
  if (text.empty())
    return {};
  // Three bytes for every four places, and a short group's three; written through a pointer.
  // A code unit takes two places where GBK gives it two bytes, else one.
  std::string decoded(text.size() / 2 * 3 + 3, '\0');
  auto* out = reinterpret_cast<std::uint8_t*>(decoded.data());
  std::uint32_t bits = 0; // the sextets of the group so far
  int filled = 0;
  std::size_t counted = 0;
  std::size_t data = std::u16string_view::npos; // places before the first "="
  const auto place = [&](std::uint32_t sextet) {
    bits = bits << 6 | sextet;
    ++counted;
    if (++filled == 4) {
      out[0] = static_cast<std::uint8_t>(bits >> 16);
      out[1] = static_cast<std::uint8_t>(bits >> 8);
      out[2] = static_cast<std::uint8_t>(bits);
      out += 3;
      filled = 0;
    }
  };
  // The places are the text's GBK bytes in GBK, else its code units; every byte or unit outside
  // ASCII is outside the alphabet and reads as zero bits.
  const std::uint16_t* codeOf = AnsiCodeTable();
  for (const char16_t unit : text) {
    if (unit < 0x80) {
      const std::int8_t sextet = kSextetOf[unit];
      if (sextet == kSkip)
        continue;
      if (unit == u'=' && data == std::u16string_view::npos)
        data = counted;
      place(static_cast<std::uint32_t>(sextet));
      continue;
    }
    place(0);
    if (charset == Charset::Gbk && codeOf[unit] > 0xFF)
      place(0);
  }
  // A short last group of two or three places decodes as if the missing places were zero; a
  // single place left over holds too few bits for a byte and is ignored.
  if (filled >= 2) {
    while (filled != 0)
      place(0), --counted;
  }
  // The bytes end with the last one the places before the first "=" fill: the padding and the
  // zero bits after it are no bytes of the text.
  data = std::min(data, counted);
  decoded.resize(std::min(static_cast<std::size_t>(
                              out - reinterpret_cast<std::uint8_t*>(decoded.data())),
                          data * 6 / 8));
  return charset == Charset::Gbk ? AnsiPairsToText(decoded) : DecodeBytes(decoded, charset);
}

std::u16string AnsiPairsToText(std::string_view bytes) {
  const CodePageDecoder decoder = DecoderOf(CodePage::Gbk936);
  std::u16string text(bytes.size(), u'\0'); // a code unit a byte at most
  char16_t* out = text.data();
  const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::size_t size = bytes.size();
  const auto alone = [&decoder](std::uint8_t byte) {
    const char16_t unit = decoder.unitOfByte(byte);
    return unit == kLeadByte ? kReplacement : unit;
  };
  for (std::size_t i = 0; i < size;) {
    const std::uint8_t b = in[i];
    if (decoder.unitOfByte(b) != kLeadByte || i + 1 == size) {
      // ASCII, and the single bytes 0x80 (€) and 0xFF: pairing those with the next byte would
      // swallow the lead byte of the character after a € and garble everything that follows.
      *out++ = alone(b);
      ++i;
    } else if (const char16_t pair = decoder.pairUnits[b << 8 | in[i + 1]]; pair != 0) {
      *out++ = pair; // a character, or U+FFFD for a pair the code page reads as bad as a whole
      i += 2;
    } else {
      // A lead byte takes the byte after it, whatever that is: a lead with a byte that cannot
      // be its trail is U+FFFD, and that byte reads as alone.
      *out++ = kReplacement;
      *out++ = alone(in[i + 1]);
      i += 2;
    }
  }
  text.resize(static_cast<std::size_t>(out - text.data()));
  return text;
}

std::optional<std::string> Base64DecodeBytes(std::u16string_view text) {
  std::size_t count = 0, padding = 0;
  for (const char16_t c : text) {
    if (c == u'\r' || c == u'\n')
      continue;
    if (c == u'=') {
      if (++padding > 2)
        return std::nullopt;
    } else if (padding > 0 || c >= 0x80 || kSextetOf[c] < 0 ||
               (kSextetOf[c] == 0 && c != kAlphabet[0])) {
      return std::nullopt;
    } else {
      ++count;
    }
  }
  if (count == 0 || count % 4 == 1 || (padding > 0 && (count + padding) % 4 != 0))
    return std::nullopt;
  std::string bytes;
  bytes.reserve(count * 3 / 4);
  std::uint32_t held = 0;
  int bits = 0;
  for (const char16_t c : text) {
    if (c == u'\r' || c == u'\n' || c == u'=')
      continue;
    held = held << 6 | static_cast<std::uint32_t>(kSextetOf[c]);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(static_cast<char>(held >> bits));
      held &= (1u << bits) - 1;
    }
  }
  if (held != 0)
    return std::nullopt;
  return bytes;
}

} // namespace kelvaro
