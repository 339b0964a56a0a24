#pragma once
// UTF-8 text misread in code page 936, or another byte charset ("mojibake"): made from clean
// text, and read back.

#include "text/charset.h"

#include <string>
#include <string_view>

namespace kelvaro {

/// UTF-8 (RFC 3629) of the text followed by one zero byte. A lone surrogate is written as U+FFFD.
/// Never fails.
[[nodiscard]] std::string ToUtf8Bytes(std::u16string_view text);

/// The bytes up to their first zero byte read as UTF-8, followed by one U+0000 (the terminator
/// stays in the result). Each ill-formed sequence gives one U+FFFD. Never fails.
[[nodiscard]] std::u16string FromUtf8Bytes(std::string_view bytes);

/// Lower-cases the text, trims spaces at both ends, turns it full-width (the space into U+3000),
/// removes every CR LF pair, and reads its UTF-8 bytes, zero terminator included, in code page 936:
/// 你好 gives 浣犲ソ. Bytes that form no character give U+FFFD; the result ends with U+0000 (from
/// the terminator, or after a U+FFFD when the last byte was a lone lead byte). Never fails.
/// In another charset its bytes are read in that charset instead; in UTF-16 the terminator is two
/// zero bytes, so that it is one U+0000 there too.
[[nodiscard]] std::u16string MakeUtf8Mojibake(std::u16string_view text,
                                              Charset charset = Charset::Gbk);

/// Takes the code-page-936 bytes of the text and reads them as UTF-8 (FromUtf8Bytes): 浣犲ソ gives
/// 你好 followed by U+0000. Never fails.
/// In another charset the text's bytes in that charset are read as UTF-8: cafÃ© in windows-1252
/// gives café.
[[nodiscard]] std::u16string RepairUtf8Mojibake(std::u16string_view text,
                                                Charset charset = Charset::Gbk);

} // namespace kelvaro
