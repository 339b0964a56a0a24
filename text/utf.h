#pragma once
// UTF-8 at the edges of the program (command line, files) and UTF-16 inside.

#include "text/result.h"

#include <string>
#include <string_view>

namespace kelvaro {

/// Strict UTF-8 to UTF-16 (RFC 3629): overlong forms, encoded surrogates, values above U+10FFFF and
/// truncated sequences are errors (InvalidUtf8, position = byte offset of the bad sequence).
[[nodiscard]] Result<std::u16string> Utf8ToUtf16(std::string_view bytes);

/// Strict UTF-8 appended to a UTF-16 text, for input read in blocks. On an error the text is left
/// as it was and the position is the byte offset within `bytes`.
[[nodiscard]] Result<void> AppendUtf8AsUtf16(std::u16string& text, std::string_view bytes);

/// Length of the longest prefix that does not end inside a multi-byte sequence which later bytes
/// could complete: where a block of a stream can be cut for decoding.
[[nodiscard]] std::size_t CompleteUtf8Prefix(std::string_view bytes);

/// UTF-16 to UTF-8. A lone surrogate is written as U+FFFD. Never fails.
/// With a unit map (65 536 entries), each code unit is first replaced by its entry.
void AppendUtf16AsUtf8(std::string& bytes, std::u16string_view text,
                       const char16_t* unitMap = nullptr);

/// UTF-16 to UTF-8. A lone surrogate is written as U+FFFD. Never fails.
[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view text);

/// UTF-8 to UTF-16 that never fails: each maximal ill-formed subsequence gives one U+FFFD
/// (the W3C/Unicode "substitution of maximal subparts" practice).
[[nodiscard]] std::u16string Utf8ToUtf16Lenient(std::string_view bytes);

} // namespace kelvaro
