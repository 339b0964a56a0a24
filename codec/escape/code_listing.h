#pragma once
// How a text is stored, in code units and in bytes: a listing of its UTF-16 code units, and the
// two byte reinterpretations between UTF-16LE storage and code-page-936 bytes.

#include "text/charset.h"

#include <string>
#include <string_view>

namespace kelvaro {

/// The UTF-16 code units of the text, each as four upper-case hex digits followed by a comma
/// (中A gives 4E2D,0041,; ก gives 0E01,, whatever the charset: units are no bytes). Empty text
/// gives empty text. Never fails; any length.
[[nodiscard]] std::u16string UnicodeFun(std::u16string_view text);

/// The text's UTF-16LE bytes (low byte first) decoded as code-page-936 bytes: 中 (2D 4E) gives
/// -N, and every ASCII character brings a U+0000 after it. Bytes that form no character give
/// U+FFFD. Never fails.
/// In another charset the bytes are decoded in that charset.
[[nodiscard]] std::u16string UnicodeBytesAsAnsi(std::u16string_view text,
                                                Charset charset = Charset::Gbk);

/// The text's code-page-936 bytes read two at a time as UTF-16LE code units (-N gives 中). An odd
/// last byte becomes a last code unit with a zero high byte. Never fails.
/// In another charset the text's bytes in that charset are read.
[[nodiscard]] std::u16string AnsiBytesAsUnicode(std::u16string_view text,
                                                Charset charset = Charset::Gbk);

} // namespace kelvaro
