#include "cli/pass_through.h"

#include "text/utf.h"

#include <istream>

namespace kelvaro::cli {

Result<BytesOutcome> RunOnUtf8(const Operation& operation, std::string_view input, bool fromStream,
                               const OperationOptions& options, BoxRule rule) {
  const std::size_t mark = fromStream && input.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  input.remove_prefix(mark);
  if (const std::optional<std::size_t> bad = FirstInvalidUtf8(input))
    return Fail(ErrorCode::InvalidUtf8, mark + *bad);
  return RunOnBoxBytes(operation, input, options, rule);
}

Result<BytesOutcome> RunOnUtf8Stream(const Operation& operation, std::istream& in,
                                     const OperationOptions& options, BoxRule rule,
                                     std::size_t blockBytes) {
  if (operation.streamOnBytes == nullptr) {
    const Result<std::string> read = ReadBytes(in);
    if (!read)
      return unexpected<Error>(read.error());
    return RunOnUtf8(operation, *read, true, options, rule);
  }
  // A file says how long it is, so that a result as long as the input is allocated once.
  const std::streamsize available = in.rdbuf()->in_avail();
  BoxBytesStream run(operation, options, rule,
                     available > 0 ? static_cast<std::size_t>(available) : 0);
  const Result<void> read = ReadUtf8Pieces(
      in, [&run](std::string_view piece) { run.Add(piece); }, blockBytes);
  if (!read)
    return unexpected<Error>(read.error());
  return run.Finish();
}

} // namespace kelvaro::cli
