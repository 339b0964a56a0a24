#pragma once
// The steps of Base64Encode and Base64Decode, for their tests.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvaro {

/// The four Base64 characters of one group. Only the first `real` bytes (1, 2 or 3) count; the
/// others are read as zero, and each missing byte turns one trailing character into "=".
[[nodiscard]] std::array<char16_t, 4> Base64EncodeGroup(std::array<std::uint8_t, 3> bytes,
                                                        int real);

/// The three bytes of one group of four Base64 bytes. A byte outside the alphabet ("=", white
/// space, a byte of a double-byte character) is the value 0, so a padded group still gives three
/// bytes, the padded ones zero.
[[nodiscard]] std::array<std::uint8_t, 3> Base64DecodeGroup(std::array<std::uint8_t, 4> chars);

/// Code-page-936 bytes to text, as the decoder reads its buffer: a byte below 0x80 is the
/// character of that code (0 gives U+0000); the single bytes 0x80 (€) and 0xFF are that byte's
/// character; a lead byte 0x81..0xFE is decoded together with the byte after it, whatever that is.
/// A pair that forms no character, and a lead byte at the very end, give U+FFFD. Never fails.
[[nodiscard]] std::u16string AnsiPairsToText(std::string_view bytes);

} // namespace kelvaro
