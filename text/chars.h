#pragma once
// Character codes as the conversions read and write them: code-page codes and UTF-16 code units as
// signed 16-bit values, and their hexadecimal form.

#include "text/result.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvaro {

/// Code-page-936 code of the first character, signed 16-bit: a single byte b gives b, a double-byte
/// character lead*256+trail (中, bytes D6 D0, gives -10544), a character the code page lacks 63.
/// Empty text is an error (EmptyText).
[[nodiscard]] Result<std::int16_t> AnsiCode(std::u16string_view text);

/// First UTF-16 code unit as signed 16-bit (U+8000..U+FFFF are negative). Empty text: EmptyText.
[[nodiscard]] Result<std::int16_t> WideCode(std::u16string_view text);

/// Low byte of the first UTF-16 code unit. Empty text: EmptyText.
[[nodiscard]] Result<std::uint8_t> ByteCode(std::u16string_view text);
/// First byte of a byte string. Empty bytes: EmptyText.
[[nodiscard]] Result<std::uint8_t> ByteCode(std::string_view bytes);

/// Text of a code-page-936 code: 0..255 is one byte, any other code its high then low byte decoded
/// together (0x2020 gives two spaces, -10544 gives 中, 0x4142 gives AB). Bytes that form no
/// character give U+FFFD. A code outside -32768..65535 is an error (CodeOutOfRange).
[[nodiscard]] Result<std::u16string> CharFromAnsiCode(std::int32_t code);

/// The code unit code mod 65536. A code outside -32768..65535 is an error (CodeOutOfRange).
[[nodiscard]] Result<std::u16string> CharFromWideCode(std::int32_t code);

/// Upper-case hexadecimal without leading zeros ("0" for zero). A negative value is written in
/// two's complement at its width of 8, 16 or 32 bits: -10544 at 16 bits gives D6D0.
[[nodiscard]] std::u16string HexDigits(std::int64_t value, int widthBits);

/// Half-width to full-width, one character for one: U+0021..U+007E become U+FF01..U+FF5E, the space
/// becomes U+3000, and the seven half-width symbols ¢ £ ¬ ¯ ¦ ¥ ₩ their full-width forms. Every
/// other character is unchanged.
[[nodiscard]] std::u16string ToFullWidth(std::u16string_view text);

} // namespace kelvaro
