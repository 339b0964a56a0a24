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

// The sextet of each character of the alphabet, -1 for every other byte.
constexpr std::array<std::int8_t, 256> kAlphabetSextetOf = [] {
  std::array<std::int8_t, 256> table{};
  table.fill(-1);
  for (int v = 0; v < 64; ++v)
    table[static_cast<unsigned char>(kAlphabet[v])] = static_cast<std::int8_t>(v);
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

namespace {

// The places of Base64 text turned into bytes, four places a group of three: the one rule of both
// decoders. The bytes end with the last one that the places before the first "=" fill (all places
// when there is none), so that no place after an "=" counts, and a short last group gives the
// bytes its places fill: two places one byte, three two, a lone place none.
class PlacesToBytes {
public:
  /// Writes at `out`, which has room for three bytes every four places given; `bits` and `filled`
  /// are those of a group that places given before began.
  explicit PlacesToBytes(std::uint8_t* out, std::uint32_t bits = 0, int filled = 0)
      : m_out(out), m_bits(bits), m_filled(filled) {}

  void Place(std::uint32_t sextet) {
    m_bits = m_bits << 6 | sextet;
    if (++m_filled == 4) {
      m_out[0] = static_cast<std::uint8_t>(m_bits >> 16);
      m_out[1] = static_cast<std::uint8_t>(m_bits >> 8);
      m_out[2] = static_cast<std::uint8_t>(m_bits);
      m_out += 3;
      m_filled = 0;
    }
  }
  /// An ASCII character: a place of its sextet (zero bits outside the alphabet), none for white
  /// space. False for "=", after which no place counts.
  bool PlaceAscii(unsigned c) {
    const std::int8_t sextet = kSextetOf[c];
    if (c == '=')
      return false;
    if (sextet != kSkip)
      Place(static_cast<std::uint32_t>(sextet));
    return true;
  }
  /// Four characters of the alphabet where a group begins, the most of any Base64 text, at once;
  /// false, and nothing placed, where one of them is another character or a group is begun.
  template <class Char> bool PlaceWholeGroup(const Char* chars) {
    if (m_filled != 0)
      return false;
    const auto sextet = [](Char c) -> std::int32_t { return c < 0x80 ? kAlphabetSextetOf[c] : -1; };
    const std::int32_t a = sextet(chars[0]), b = sextet(chars[1]), c = sextet(chars[2]),
                       d = sextet(chars[3]);
    if ((a | b | c | d) < 0)
      return false;
    const auto bits = static_cast<std::uint32_t>(a << 18 | b << 12 | c << 6 | d);
    m_out[0] = static_cast<std::uint8_t>(bits >> 16);
    m_out[1] = static_cast<std::uint8_t>(bits >> 8);
    m_out[2] = static_cast<std::uint8_t>(bits);
    m_out += 3;
    return true;
  }
  /// Where the next byte goes; the places of a group not yet filled are not written.
  [[nodiscard]] std::uint8_t* Next() const { return m_out; }
  [[nodiscard]] std::uint32_t Bits() const { return m_bits; }
  [[nodiscard]] int Filled() const { return m_filled; }
  /// Writes the bytes that a short last group's places fill; gives the end of the bytes.
  std::uint8_t* Finish() {
    if (m_filled >= 2) {
      const std::uint32_t bits = m_bits << (6 * (4 - m_filled));
      m_out[0] = static_cast<std::uint8_t>(bits >> 16);
      if (m_filled == 3)
        m_out[1] = static_cast<std::uint8_t>(bits >> 8);
      m_out += m_filled - 1;
    }
    m_filled = 0;
    return m_out;
  }

private:
  std::uint8_t* m_out;
  std::uint32_t m_bits;
  int m_filled;
};

// Reads code-page-936 bytes as AnsiPairsToText does, handing each code unit to `put`; with `more`,
// a lead byte at the very end is left for the bytes that follow. Gives how many bytes it read.
template <class Put> std::size_t ReadAnsiPairs(std::string_view bytes, bool more, Put put) {
  const CodePageDecoder decoder = DecoderOf(CodePage::Gbk936);
  const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::size_t size = bytes.size();
  const auto alone = [&decoder](std::uint8_t byte) {
    const char16_t unit = decoder.unitOfByte(byte);
    return unit == kLeadByte ? kReplacement : unit;
  };
  std::size_t i = 0;
  while (i < size) {
    const std::uint8_t b = in[i];
    if (decoder.unitOfByte(b) != kLeadByte) {
      // ASCII, and the single bytes 0x80 (€) and 0xFF: pairing those with the next byte would
      // swallow the lead byte of the character after a € and garble everything that follows.
      put(alone(b));
      ++i;
    } else if (i + 1 == size) {
      if (more)
        break; // its trail byte comes with the next bytes
      put(kReplacement);
      ++i;
    } else if (const char16_t pair = decoder.pairUnits[b << 8 | in[i + 1]]; pair != 0) {
      put(pair); // a character, or U+FFFD for a pair the code page reads as bad as a whole
      i += 2;
    } else {
      // A lead byte takes the byte after it, whatever that is: a lead with a byte that cannot
      // be its trail is U+FFFD, and that byte reads as alone.
      put(kReplacement);
      put(alone(in[i + 1]));
      i += 2;
    }
  }
  return i;
}

// The places of a character outside ASCII, all zero bits: in GBK one a byte of its code (a unit
// the code page lacks is the one byte "?"), else one a code unit.
void PlaceBeyondAscii(PlacesToBytes& places, char16_t unit, const std::uint16_t* gbkCodes) {
  places.Place(0);
  if (gbkCodes != nullptr && gbkCodes[unit] > 0xFF)
    places.Place(0);
}

} // namespace

std::u16string Base64Decode(std::u16string_view text, Charset charset) {
  if (text.empty())
    return {};
  // Three bytes for every four places, and a short group's two; written through a pointer.
  // A code unit takes two places where GBK gives it two bytes, else one.
  std::string decoded(text.size() / 2 * 3 + 3, '\0');
  auto* begin = reinterpret_cast<std::uint8_t*>(decoded.data());
  PlacesToBytes places(begin);
  const std::uint16_t* gbkCodes = charset == Charset::Gbk ? AnsiCodeTable() : nullptr;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i + 4 <= text.size() && places.PlaceWholeGroup(text.data() + i)) {
      i += 3;
      continue;
    }
    const char16_t unit = text[i];
    if (unit >= 0x80)
      PlaceBeyondAscii(places, unit, gbkCodes);
    else if (!places.PlaceAscii(unit))
      break;
  }
  decoded.resize(static_cast<std::size_t>(places.Finish() - begin));
  return charset == Charset::Gbk ? AnsiPairsToText(decoded) : DecodeBytes(decoded, charset);
}

Base64DecodeUtf8Stream::Base64DecodeUtf8Stream(Charset charset, std::size_t expectedBytes)
    : m_charset(charset) {
  // Three bytes every four characters: in GBK they go on into UTF-8 a piece at a time, up to three
  // bytes of it for two; in the other charsets they are all kept until the end.
  if (charset == Charset::Gbk)
    m_result.reserve(expectedBytes / 4 * 3 / 2 * 3 + 16);
  else
    m_bytes.reserve(expectedBytes / 4 * 3 + 16);
}

void Base64DecodeUtf8Stream::Add(std::string_view utf8) {
  if (m_ended)
    return;
  // Each byte of UTF-8 gives at most one place; a lead byte that the bytes before left waits in
  // front of them.
  const std::size_t kept = m_bytes.size();
  m_bytes.resize(kept + utf8.size() / 4 * 3 + 3);
  auto* begin = reinterpret_cast<std::uint8_t*>(m_bytes.data());
  PlacesToBytes places(begin + kept, m_bits, m_filled);
  const std::uint16_t* gbkCodes = m_charset == Charset::Gbk ? AnsiCodeTable() : nullptr;
  const auto* in = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  for (std::size_t i = 0; i < n;) {
    if (i + 4 <= n && places.PlaceWholeGroup(in + i)) {
      i += 4;
      continue;
    }
    const unsigned lead = in[i];
    if (lead < 0x80) {
      ++i;
      if (places.PlaceAscii(lead))
        continue;
      m_ended = true;
      break;
    }
    // A character beyond ASCII, rare in Base64: its units' places.
    const std::optional<Utf8Character> character = Utf8CharacterAt(utf8, i);
    if (!character)
      break; // not valid UTF-8: what is left gives nothing
    char16_t units[2];
    const char16_t* end = WriteCodePoint(units, character->codePoint);
    for (const char16_t* unit = units; unit != end; ++unit)
      PlaceBeyondAscii(places, *unit, gbkCodes);
    i += character->length;
  }
  m_bits = places.Bits();
  m_filled = places.Filled();
  m_bytes.resize(static_cast<std::size_t>(places.Next() - begin));
  if (m_charset == Charset::Gbk)
    TakeGbkBytes(false);
}

// The bytes' text straight into UTF-8, without a text of UTF-16 between: each byte gives at most
// one code unit of the BMP, three bytes of UTF-8.
void Base64DecodeUtf8Stream::TakeGbkBytes(bool last) {
  const std::size_t start = m_result.size();
  m_result.resize(start + 3 * m_bytes.size());
  auto* out = reinterpret_cast<unsigned char*>(m_result.data() + start);
  const std::size_t read =
      ReadAnsiPairs(m_bytes, !last, [&out](char16_t unit) { out = WriteUtf8(out, unit); });
  m_result.resize(
      static_cast<std::size_t>(out - reinterpret_cast<unsigned char*>(m_result.data())));
  m_bytes.erase(0, read);
}

std::string Base64DecodeUtf8Stream::Finish() {
  const std::size_t kept = m_bytes.size();
  m_bytes.resize(kept + 3);
  auto* begin = reinterpret_cast<std::uint8_t*>(m_bytes.data());
  PlacesToBytes places(begin + kept, m_bits, m_filled);
  m_bytes.resize(static_cast<std::size_t>(places.Finish() - begin));
  if (m_charset == Charset::Gbk) {
    TakeGbkBytes(true);
  } else if (m_charset == Charset::Utf8 && !FirstInvalidUtf8(m_bytes)) {
    return std::move(m_bytes); // valid UTF-8 decodes to itself
  } else {
    AppendUtf16AsUtf8(m_result, DecodeBytes(m_bytes, m_charset));
  }
  m_bytes.clear();
  return std::move(m_result);
}

std::u16string AnsiPairsToText(std::string_view bytes) {
  std::u16string text(bytes.size(), u'\0'); // a code unit a byte at most
  char16_t* out = text.data();
  ReadAnsiPairs(bytes, false, [&out](char16_t unit) { *out++ = unit; });
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
