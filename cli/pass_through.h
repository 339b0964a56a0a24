#pragma once
// The operations that read only their input's bytes take UTF-8 input as bytes: with --charset utf-8
// as it is, checked once, instead of decoding it to UTF-16 and encoding it back. Standard input
// goes through them a block at a time, so that a large input is never held whole; in another
// charset each block is put into that charset's bytes on the way.

#include "cli/streams.h"
#include "registry/operations.h"

#include <iosfwd>
#include <string_view>

namespace kelvaro::cli {

/// UTF-8 input through an operation with runOnBytes: checked, then RunOnBoxBytes. `fromStream`: it
/// came on standard input, where a byte order mark first says how it is encoded and is dropped.
/// InvalidUtf8 at the byte offset of the first bad sequence (a dropped mark counted).
[[nodiscard]] Result<BytesOutcome> RunOnUtf8(const Operation& operation, std::string_view input,
                                             bool fromStream, const OperationOptions& options,
                                             BoxRule rule);

/// RunOnUtf8 of the whole stream, read `blockBytes` at a time through the operation's
/// streamOnBytes (without one, read whole; only in UTF-8). The same outcome and errors as
/// RunOnUtf8 of the bytes read, and in a charset other than UTF-8 the outcome RunOnBoxText gives
/// for their text; Unreadable where reading failed. The result comes only once all of the input
/// has been checked (Base64's is held until then), so that input refused at its end writes nothing.
[[nodiscard]] Result<BytesOutcome> RunOnUtf8Stream(const Operation& operation, std::istream& in,
                                                   const OperationOptions& options, BoxRule rule,
                                                   std::size_t blockBytes = kPassThroughBlockBytes);

} // namespace kelvaro::cli
