#pragma once
// The one result type of the project: a value, or an error with a code and the position where the
// bad input starts. tl::expected has std::expected's interface, so moving to C++23 is this alias.

#include <cstddef>
#include <tl/expected.hpp>

namespace kelvaro {

/// Why a conversion refused its input. The registry words each code for the user, in one table.
enum class ErrorCode {
  CodeOutOfRange,    ///< a character code outside -32768..65535
  NotANumber,        ///< the text does not read as a number
  OutOfRange,        ///< the number does not fit the target type (an amount: over twelve digits)
  InvalidUtf8,       ///< bytes that are not well-formed UTF-8
  InvalidBytes,      ///< bytes that the chosen charset cannot decode
  NotHexBytes,       ///< a lone hex digit or another character where bytes' hex digits belong
  NotText,           ///< bytes that no charset reads as text (a picture, a program)
  Unreadable,        ///< a stream that cannot be read (a directory, a read error)
  Unwritable,        ///< a stream that refuses bytes (a full disk)
  NotAnAmount,       ///< the text is no amount in capital numerals
  HostNotFound,      ///< the host name gives no address
  NotAHostName,      ///< the text holds no host name that IDNA accepts
  NothingRecognised, ///< the text reads as plain text: nothing to decode or repair
  OutOfMemory,       ///< the result does not fit in memory
  Internal,          ///< a conversion failed in a way it does not foresee (a fault of ours)
};

struct Error {
  ErrorCode code;
  std::size_t position = 0; ///< 0-based index of the first bad unit (code unit or byte)
};

template <class T> using Result = tl::expected<T, Error>;
using tl::unexpected;

[[nodiscard]] inline unexpected<Error> Fail(ErrorCode code, std::size_t position = 0) {
  return unexpected<Error>(Error{code, position});
}

} // namespace kelvaro
