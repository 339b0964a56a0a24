#pragma once
// The steps of Md5Hex, for the MD5 Base64 digest that reuses the word array and the block
// function with other units, and for the tests of each step.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro::digest {

/// The four state words A, B, C, D.
using Md5State = std::array<std::uint32_t, 4>;

/// The message bytes of a text, one UTF-16 code unit at a time: a double-byte character of code
/// page 936 gives its lead then trail byte (中 gives D6 D0); every other code unit gives its own
/// low byte -- so a character the code page lacks gives the low byte of its code unit, not "?"
/// (63). Never fails; the empty text gives no bytes.
[[nodiscard]] std::string ToMd5Bytes(std::u16string_view text);

/// The padded MD5 message as 32-bit words, 16 per block: 16 * ((n + 8) / 64 + 1) words for n
/// units. Unit i is sign-extended to 32 bits and ORed into word i / 4 at bit 8 * (i % 4), bits past
/// bit 31 dropped; so units 0..255 are the message bytes of RFC 1321, and a negative unit also sets
/// every higher bit of its word. Then 0x80 at unit position n, and the bit count 8 * n as the last
/// two words (low word first). Never fails.
[[nodiscard]] std::vector<std::uint32_t> Md5WordArray(std::span<const std::int16_t> units);

/// The MD5 block function of RFC 1321 over every whole 16-word block of `words`, from the initial
/// state. A trailing run of fewer than 16 words is not a block and is ignored.
[[nodiscard]] Md5State Md5Process(std::span<const std::uint32_t> words);

/// Eight upper-case hexadecimal digits of a word, least significant byte first (0x67452301 gives
/// 01234567).
[[nodiscard]] std::u16string WordToHex(std::uint32_t word);

/// The 16 digest bytes of a state: A, B, C, D, each least significant byte first.
[[nodiscard]] std::array<std::uint8_t, 16> Md5DigestBytes(const Md5State& state);

} // namespace kelvaro::digest
