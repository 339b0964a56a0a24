#pragma once
// kelvaro-cli's input and output: UTF-8 streams read and written a block at a time, so that a large
// text is never held as bytes and as text at once. The block sizes are parameters so that tests
// can cut a sequence at every offset around a small block.

#include "text/charset.h"
#include "text/result.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace kelvaro::cli {

inline constexpr std::size_t kInputBlockBytes = 1 << 20;
inline constexpr std::size_t kOutputBlockUnits = 1 << 16;
/// Bytes passed through a block at a time, as md5sum and base64 read theirs: the kernel copies each
/// block into a buffer that stays in the processor's cache, where the check and the digest read it
/// next. Blocks of 16 to 128 KiB measured alike once they were read to an aligned place.
inline constexpr std::size_t kPassThroughBlockBytes = 1 << 15;

/// The whole stream as strict UTF-8, decoded `blockBytes` at a time (a sequence cut by a block's
/// end is completed from the next block). A UTF-8 byte order mark at the start is dropped.
/// InvalidUtf8 with the byte offset in the whole stream; Unreadable when the stream cannot be read
/// (a directory, a read error), with the offset reached.
[[nodiscard]] Result<std::u16string> ReadUtf8(std::istream& in,
                                              std::size_t blockBytes = kInputBlockBytes);

/// The stream as strict UTF-8, left as bytes: handed to `take` a piece at a time, each at most
/// `blockBytes` long plus the bytes of a sequence that the block before cut (a piece ends where a
/// character does). A UTF-8 byte order mark at the start is dropped. Errors as ReadUtf8's; the
/// pieces before the error have been taken by then.
[[nodiscard]] Result<void> ReadUtf8Pieces(std::istream& in,
                                          const std::function<void(std::string_view)>& take,
                                          std::size_t blockBytes = kPassThroughBlockBytes);

/// The whole stream's bytes, as they are; Unreadable where reading failed.
[[nodiscard]] Result<std::string> ReadBytes(std::istream& in);

/// The whole stream in a byte charset other than UTF-8, which must be well-formed in it:
/// InvalidBytes at the byte offset of the first bad sequence; Unreadable where reading failed. A
/// UTF-8 byte order mark at the start is dropped (an editor's, before text in another charset), and
/// so is a UTF-16 one read in UTF-16.
[[nodiscard]] Result<std::u16string> ReadInCharset(std::istream& in, Charset charset);

/// The whole stream as UTF-16 whose byte order mark says little- or big-endian; without one it is
/// big-endian (as iconv reads "UTF-16"). Errors as ReadInCharset's.
[[nodiscard]] Result<std::u16string> ReadUtf16ByMark(std::istream& in);

/// Writes the text as UTF-8, `blockUnits` code units at a time (a surrogate pair is never cut); a
/// lone surrogate is written as U+FFFD. Unwritable when the stream refuses the bytes (a full
/// disk), with the number of units written before.
[[nodiscard]] Result<void> WriteUtf8(std::ostream& out, std::u16string_view text,
                                     std::size_t blockUnits = kOutputBlockUnits);

/// Every line break (CR LF, a lone CR, a lone LF) as CR LF, as the window's boxes read them.
[[nodiscard]] std::u16string WithWindowLineBreaks(std::u16string_view text);

} // namespace kelvaro::cli
