#pragma once
// The text's bytes as plain hexadecimal, two digits a byte (e4b8ad is 中 in UTF-8), as dumps,
// debuggers and hash tools write them. Not the program's own four-digit groups (hex_text.h).

#include "text/charset.h"
#include "text/result.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

/// Two hexadecimal digits for each of the text's bytes in the charset (a character it lacks is the
/// byte "?"), lower case, capitals when `upper`, no separators. Never fails; any length.
[[nodiscard]] std::u16string ByteHexEncode(std::u16string_view text, Charset charset = Charset::Gbk,
                                           bool upper = false);

/// Reads bytes written as hexadecimal, digits of either case, and decodes them in the charset,
/// each sequence that forms no character giving U+FFFD. Blanks, line breaks, colons, commas and
/// hyphens between bytes are skipped, and so is a "0x", "0X" or "\x" before a byte. A byte is
/// always two digits: fails with NotHexBytes at the unit where a lone digit or any other
/// character stands. Empty text gives empty text.
[[nodiscard]] Result<std::u16string> ByteHexDecode(std::u16string_view text,
                                                   Charset charset = Charset::Gbk);

/// The strict form, for recognising a pasted text: the bytes, when ByteHexDecode reads the whole
/// text and it holds at least one byte. Nothing otherwise. The bytes are not checked against any
/// charset.
[[nodiscard]] std::optional<std::string> ByteHexDecodeBytes(std::u16string_view text);

} // namespace kelvaro
