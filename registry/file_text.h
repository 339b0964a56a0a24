#pragma once
// Reading a text file whose charset nobody said: the window's Ctrl+O, a dropped file and
// `kelvaro FILE` open a file in the charset its bytes show, not blindly in the charset chosen for
// the byte operations.

#include "text/charset.h"
#include "text/result.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

/// Why a file was read in its charset.
enum class FileCharsetReason {
  ByteOrderMark, ///< it starts with a UTF-8 or UTF-16 byte order mark
  Utf8,          ///< its bytes are valid UTF-8 and not all ASCII
  Chosen,        ///< empty or plain ASCII: every charset reads it alike, so the chosen one
  Ranked,        ///< of the charsets that read its bytes strictly, it reads most like real text
  AsAsked,       ///< the user asked for this charset ("reopen as")
};

/// A file's text and how it was read.
struct FileText {
  std::u16string text;
  Charset charset = Charset::Gbk;
  FileCharsetReason reason = FileCharsetReason::Chosen;
  std::size_t markBytes = 0; ///< bytes of the byte order mark, which are not text
};

/// Reads a file's bytes: a byte order mark decides; else bytes that are valid UTF-8 and not plain
/// ASCII are UTF-8; else every charset the program knows that reads the bytes strictly is ranked
/// by how much its reading looks like real text (a zero byte, which no text in a byte charset
/// holds, rules out all but UTF-16), the chosen charset winning ties. Refuses (InvalidBytes) a file
/// that no charset reads as text, such as a picture, at the offset where its first reading failed.
/// Linear in the size: the ranking reads the first 64 KiB.
[[nodiscard]] Result<FileText> ReadFileText(std::string_view bytes, Charset chosen);

/// Reads a file in the charset the user asked for (after a byte order mark of that charset):
/// InvalidBytes at the offset of the first byte that is not valid in it.
[[nodiscard]] Result<FileText> ReadFileTextAs(std::string_view bytes, Charset charset);

} // namespace kelvaro
