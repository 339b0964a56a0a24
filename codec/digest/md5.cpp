#include "codec/digest/md5.h"

#include "codec/digest/md5_steps.h"
#include "text/codepage.h"
#include "text/hex.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kelvaro::digest {
namespace {

constexpr Md5State kInitialState = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476};
constexpr std::size_t kBlockBytes = 64;
constexpr std::size_t kBlockWords = 16;

// The four auxiliary functions of RFC 1321, F and G in their one-operation-shorter equivalent
// forms: (x AND y) OR (NOT x AND z) selects y or z by x, which is z XOR (x AND (y XOR z)). x is
// always the step before's result, so each function takes it last: what does not wait on it is
// computed while it is (H's y XOR z).
inline std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
  return z ^ (x & (y ^ z));
}
inline std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ (y ^ z); }
inline std::uint32_t I(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (x | ~z); }

// MD5 is one chain of dependent steps, so its speed is the length of the path from one step's
// result to the next: the sum is ordered so that the round function, which waits on b, comes last.
template <std::uint32_t (*Round)(std::uint32_t, std::uint32_t, std::uint32_t), int Shift>
inline void Step(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                 std::uint32_t word, std::uint32_t sine) {
  a = b + std::rotl(a + word + sine + Round(b, c, d), Shift);
}

// G = (x AND z) OR (y AND NOT z): the two halves share no bit, so G is their sum, and the half
// without x is added before x is known. A sixth shorter path through a G step than the selection
// form.
template <int Shift>
inline void StepG(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                  std::uint32_t word, std::uint32_t sine) {
  a = b + std::rotl(a + word + sine + (c & ~d) + (b & d), Shift);
}

// One 512-bit block. The 64 steps are written out so that word index, shift and sine constant are
// all compile-time constants; this function is where every digest spends its time.
void ProcessBlock(Md5State& state, const std::uint32_t* x) {
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  Step<F, 7>(a, b, c, d, x[0], 0xD76AA478);
  Step<F, 12>(d, a, b, c, x[1], 0xE8C7B756);
  Step<F, 17>(c, d, a, b, x[2], 0x242070DB);
  Step<F, 22>(b, c, d, a, x[3], 0xC1BDCEEE);
  Step<F, 7>(a, b, c, d, x[4], 0xF57C0FAF);
  Step<F, 12>(d, a, b, c, x[5], 0x4787C62A);
  Step<F, 17>(c, d, a, b, x[6], 0xA8304613);
  Step<F, 22>(b, c, d, a, x[7], 0xFD469501);
  Step<F, 7>(a, b, c, d, x[8], 0x698098D8);
  Step<F, 12>(d, a, b, c, x[9], 0x8B44F7AF);
  Step<F, 17>(c, d, a, b, x[10], 0xFFFF5BB1);
  Step<F, 22>(b, c, d, a, x[11], 0x895CD7BE);
  Step<F, 7>(a, b, c, d, x[12], 0x6B901122);
  Step<F, 12>(d, a, b, c, x[13], 0xFD987193);
  Step<F, 17>(c, d, a, b, x[14], 0xA679438E);
  Step<F, 22>(b, c, d, a, x[15], 0x49B40821);

  StepG<5>(a, b, c, d, x[1], 0xF61E2562);
  StepG<9>(d, a, b, c, x[6], 0xC040B340);
  StepG<14>(c, d, a, b, x[11], 0x265E5A51);
  StepG<20>(b, c, d, a, x[0], 0xE9B6C7AA);
  StepG<5>(a, b, c, d, x[5], 0xD62F105D);
  StepG<9>(d, a, b, c, x[10], 0x02441453);
  StepG<14>(c, d, a, b, x[15], 0xD8A1E681);
  StepG<20>(b, c, d, a, x[4], 0xE7D3FBC8);
  StepG<5>(a, b, c, d, x[9], 0x21E1CDE6);
  StepG<9>(d, a, b, c, x[14], 0xC33707D6);
  StepG<14>(c, d, a, b, x[3], 0xF4D50D87);
  StepG<20>(b, c, d, a, x[8], 0x455A14ED);
  StepG<5>(a, b, c, d, x[13], 0xA9E3E905);
  StepG<9>(d, a, b, c, x[2], 0xFCEFA3F8);
  StepG<14>(c, d, a, b, x[7], 0x676F02D9);
  StepG<20>(b, c, d, a, x[12], 0x8D2A4C8A);

  Step<H, 4>(a, b, c, d, x[5], 0xFFFA3942);
  Step<H, 11>(d, a, b, c, x[8], 0x8771F681);
  Step<H, 16>(c, d, a, b, x[11], 0x6D9D6122);
  Step<H, 23>(b, c, d, a, x[14], 0xFDE5380C);
  Step<H, 4>(a, b, c, d, x[1], 0xA4BEEA44);
  Step<H, 11>(d, a, b, c, x[4], 0x4BDECFA9);
  Step<H, 16>(c, d, a, b, x[7], 0xF6BB4B60);
  Step<H, 23>(b, c, d, a, x[10], 0xBEBFBC70);
  Step<H, 4>(a, b, c, d, x[13], 0x289B7EC6);
  Step<H, 11>(d, a, b, c, x[0], 0xEAA127FA);
  Step<H, 16>(c, d, a, b, x[3], 0xD4EF3085);
  Step<H, 23>(b, c, d, a, x[6], 0x04881D05);
  Step<H, 4>(a, b, c, d, x[9], 0xD9D4D039);
  Step<H, 11>(d, a, b, c, x[12], 0xE6DB99E5);
  Step<H, 16>(c, d, a, b, x[15], 0x1FA27CF8);
  Step<H, 23>(b, c, d, a, x[2], 0xC4AC5665);

  Step<I, 6>(a, b, c, d, x[0], 0xF4292244);
  Step<I, 10>(d, a, b, c, x[7], 0x432AFF97);
  Step<I, 15>(c, d, a, b, x[14], 0xAB9423A7);
  Step<I, 21>(b, c, d, a, x[5], 0xFC93A039);
  Step<I, 6>(a, b, c, d, x[12], 0x655B59C3);
  Step<I, 10>(d, a, b, c, x[3], 0x8F0CCC92);
  Step<I, 15>(c, d, a, b, x[10], 0xFFEFF47D);
  Step<I, 21>(b, c, d, a, x[1], 0x85845DD1);
  Step<I, 6>(a, b, c, d, x[8], 0x6FA87E4F);
  Step<I, 10>(d, a, b, c, x[15], 0xFE2CE6E0);
  Step<I, 15>(c, d, a, b, x[6], 0xA3014314);
  Step<I, 21>(b, c, d, a, x[13], 0x4E0811A1);
  Step<I, 6>(a, b, c, d, x[4], 0xF7537E82);
  Step<I, 10>(d, a, b, c, x[11], 0xBD3AF235);
  Step<I, 15>(c, d, a, b, x[2], 0x2AD7D2BB);
  Step<I, 21>(b, c, d, a, x[9], 0xEB86D391);

  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

// Little-endian words of one block of message bytes, whatever the machine's byte order (compilers
// turn this into plain loads on little-endian machines).
void LoadBlock(const unsigned char* bytes, std::uint32_t* words) {
  for (std::size_t i = 0; i < kBlockWords; ++i, bytes += 4) {
    words[i] = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
               std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
  }
}

// What each UTF-16 code unit adds to the message, looked up once per process: a double-byte
// code-page code (0x8000 and above: lead byte, then trail byte), or else the one byte it gives.
const std::uint16_t* Md5ByteCodes() {
  static const std::vector<std::uint16_t> table = [] {
    std::vector<std::uint16_t> codes(0x10000);
    for (std::uint32_t unit = 0; unit < codes.size(); ++unit) {
      const std::uint16_t code = AnsiCodeOfUnit(static_cast<char16_t>(unit));
      // Kept on purpose: stored digests took the low byte of the code unit for every character
      // that is not double-byte, so a character the code page lacks (a Thai letter) gives that
      // byte rather than "?", and the euro sign gives AC rather than its code-page byte 80.
      codes[unit] = (code & 0x8000) ? code : static_cast<std::uint16_t>(unit & 0xFF);
    }
    return codes;
  }();
  return table.data();
}

// The last partial block of a message of `length` bytes, with its padding and bit count, in at
// most two blocks.
void ProcessLastBlocks(Md5State& state, const unsigned char* rest, std::size_t restSize,
                       std::uint64_t length) {
  unsigned char tail[2 * kBlockBytes] = {};
  std::memcpy(tail, rest, restSize);
  tail[restSize] = 0x80;
  // The bit count needs the last 8 bytes of a block: 55 bytes still fit one block, 56 need two.
  const std::size_t tailBytes = restSize + 1 + 8 <= kBlockBytes ? kBlockBytes : 2 * kBlockBytes;
  const std::uint64_t bitCount = length * 8;
  for (std::size_t i = 0; i < 8; ++i) {
    tail[tailBytes - 8 + i] = static_cast<unsigned char>(bitCount >> (8 * i));
  }
  std::uint32_t words[kBlockWords];
  for (std::size_t offset = 0; offset < tailBytes; offset += kBlockBytes) {
    LoadBlock(tail + offset, words);
    ProcessBlock(state, words);
  }
}

// The whole blocks of `size` bytes (a multiple of the block size) into the state.
void ProcessBlocks(Md5State& state, const unsigned char* bytes, std::size_t size) {
  std::uint32_t words[kBlockWords];
  for (std::size_t offset = 0; offset < size; offset += kBlockBytes) {
    LoadBlock(bytes + offset, words);
    ProcessBlock(state, words);
  }
}

// MD5 of a message: its whole blocks straight from the bytes, then the rest with the padding.
Md5State DigestOfBytes(std::string_view message) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(message.data());
  const std::size_t whole = message.size() - message.size() % kBlockBytes;
  Md5State state = kInitialState;
  ProcessBlocks(state, bytes, whole);
  ProcessLastBlocks(state, bytes + whole, message.size() - whole, message.size());
  return state;
}

void AppendWordHex(std::u16string& out, std::uint32_t word) {
  for (int k = 0; k < 4; ++k)
    AppendHexByte(out, static_cast<std::uint8_t>(word >> (8 * k)));
}

std::u16string HexOfState(const Md5State& state, std::int32_t digits) {
  std::u16string hex;
  if (digits == 32) {
    hex.reserve(32);
    for (const std::uint32_t word : state)
      AppendWordHex(hex, word);
  } else {
    hex.reserve(16);
    AppendWordHex(hex, state[1]);
    AppendWordHex(hex, state[2]);
  }
  return hex;
}

} // namespace

std::u16string Md5Hex(std::u16string_view text, std::int32_t digits, Charset charset) {
  return Md5HexOfBytes(charset == Charset::Gbk ? ToMd5Bytes(text) : EncodeText(text, charset),
                       digits);
}

const std::uint16_t* Md5CodesOfUnits(Charset charset) {
  return charset == Charset::Gbk ? Md5ByteCodes() : nullptr;
}

std::u16string Md5HexOfBytes(std::string_view bytes, std::int32_t digits) {
  return HexOfState(DigestOfBytes(bytes), digits);
}

Md5Stream::Md5Stream() : m_state(kInitialState) {}

void Md5Stream::Add(std::string_view bytes) {
  const auto* next = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t size = bytes.size();
  m_length += size;
  // A block begun by the pieces before is completed first; it is the only one that is copied.
  if (m_restSize > 0) {
    const std::size_t taken = std::min(size, kBlockBytes - m_restSize);
    std::memcpy(m_rest.data() + m_restSize, next, taken);
    m_restSize += taken;
    next += taken;
    size -= taken;
    if (m_restSize < kBlockBytes)
      return;
    ProcessBlocks(m_state, m_rest.data(), kBlockBytes);
    m_restSize = 0;
  }
  const std::size_t whole = size - size % kBlockBytes;
  ProcessBlocks(m_state, next, whole);
  std::memcpy(m_rest.data(), next + whole, size - whole);
  m_restSize = size - whole;
}

std::u16string Md5Stream::Hex(std::int32_t digits) const {
  Md5State state = m_state;
  ProcessLastBlocks(state, m_rest.data(), m_restSize, m_length);
  return HexOfState(state, digits);
}

std::string ToMd5Bytes(std::u16string_view text) { return BytesOfCodes(text, Md5ByteCodes()); }

std::vector<std::uint32_t> Md5WordArray(std::span<const std::int16_t> units) {
  const std::size_t n = units.size();
  const std::size_t wordCount = kBlockWords * ((n + 8) / kBlockBytes + 1);
  std::vector<std::uint32_t> words(wordCount, 0);
  for (std::size_t first = 0; first < n; first += 4) {
    const std::size_t end = std::min(n, first + 4);
    std::uint32_t word = 0;
    for (std::size_t i = first; i < end; ++i) {
      // Sign extension first, then the shift on the unsigned pattern: a negative unit fills the
      // rest of its word with one bits, which other systems' digests of double-byte text depend on.
      const auto extended = static_cast<std::uint32_t>(static_cast<std::int32_t>(units[i]));
      word |= extended << (8 * (i - first));
    }
    words[first / 4] = word;
  }
  words[n / 4] |= std::uint32_t{0x80} << (8 * (n % 4));
  words[wordCount - 2] = static_cast<std::uint32_t>(n * 8);
  words[wordCount - 1] = static_cast<std::uint32_t>(static_cast<std::uint64_t>(n) >> 29);
  return words;
}

Md5State Md5Process(std::span<const std::uint32_t> words) {
  Md5State state = kInitialState;
  for (std::size_t offset = 0; offset + kBlockWords <= words.size(); offset += kBlockWords) {
    ProcessBlock(state, words.data() + offset);
  }
  return state;
}

std::u16string WordToHex(std::uint32_t word) {
  std::u16string hex;
  hex.reserve(8);
  AppendWordHex(hex, word);
  return hex;
}

std::array<std::uint8_t, 16> Md5DigestBytes(const Md5State& state) {
  std::array<std::uint8_t, 16> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(state[i / 4] >> (8 * (i % 4)));
  }
  return bytes;
}

} // namespace kelvaro::digest
