#pragma once
// Bytes written as C string escapes, as git quotes a path ("\344\270\255\346\226\207.txt"), as C
// source spells a string and as Python prints bytes (b'\xe4\xb8\xad'), and back. The bytes are the
// text's bytes in a charset (code page 936 by default).

#include "text/charset.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

/// C escapes of the text's bytes in the charset (a character it lacks is the byte "?"): every
/// byte from 0x80 as a backslash and three octal digits ("\344", never ambiguous with a digit
/// that follows), line feed, tab and carriage return as "\n", "\t", "\r", the other control bytes
/// (0x00..0x1F, 0x7F) as three octal digits, the backslash and the double quote as "\\" and "\"".
/// Every other byte is its ASCII character. No quotes around the result. Never fails; any length.
[[nodiscard]] std::u16string CEscape(std::u16string_view text, Charset charset = Charset::Gbk);

/// Reads C and Python escapes back and decodes the bytes in the charset, each sequence that forms
/// no character giving U+FFFD. A backslash followed by one to three octal digits, by "x" and
/// exactly two hexadecimal digits of either case, or by n t r \ " ' gives that byte; every other
/// backslash stays as it is. A whole text in double quotes, or in b'...' or b"..." (Python's
/// bytes), loses them first. Other ASCII characters are their bytes; a character from U+0080
/// stands for its own bytes in the charset, so that escaped bytes next to it still join, and one
/// the charset lacks stays as it is. Never fails; any length.
[[nodiscard]] std::u16string CUnescape(std::u16string_view text, Charset charset = Charset::Gbk);

/// The strict form, for recognising a pasted text: the bytes the text spells, when the whole text
/// is in this notation -- ASCII only, at least one escape of a byte from 0x80 (octal or "\x"),
/// and every backslash beginning one of the escapes CUnescape reads (a dangling backslash, "\x4"
/// or "\q" refuse the text). The quotes and b'...' around the text are read as CUnescape reads
/// them. The bytes are not checked against any charset: that is the caller's choice. Nothing when
/// the text is not wholly escaped bytes.
[[nodiscard]] std::optional<std::string> CUnescapeBytes(std::u16string_view text);

} // namespace kelvaro
