#pragma once
// The one list of the program's operations. The window builds its button dispatch from it and
// kelvaro-cli its commands; the benchmarks and the fuzzer run every row.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kelvaro {

namespace net {
class HostResolver;
}

/// The two large boxes an operation reads from and writes to.
enum class Box { Text1, Text2 };

/// Message-box style with the error (stop) icon.
inline constexpr int kMessageStyleCritical = 16;

/// A message for the user; the window shows it in a modal box, the command line on stderr.
struct Message {
  std::u16string text;
  int style = 0;        ///< 0 plain, kMessageStyleCritical for the stop icon
  std::u16string title; ///< empty: the window's own caption
};

/// What one run of an operation gives.
struct Outcome {
  /// The text the target box receives; absent when the box keeps its content (input refused).
  std::optional<std::u16string> text;
  std::optional<Message> message;

  [[nodiscard]] static Outcome Converted(std::u16string result) { return {std::move(result), {}}; }
  /// The input cannot be converted: the box keeps its content and the message says why.
  [[nodiscard]] static Outcome Refused(Message why) { return {std::nullopt, std::move(why)}; }
  [[nodiscard]] bool refused() const { return !text.has_value(); }
};

/// What an operation may read besides its text.
struct OperationOptions {
  bool upper = false;                          ///< Check1 ("大写") is checked
  const net::HostResolver* resolver = nullptr; ///< null: the platform resolver
};

using OperationFunction = Outcome (*)(std::u16string_view input, const OperationOptions& options);

struct Operation {
  std::string_view cliName; ///< command-line name, e.g. "base64-encode"
  std::string_view button;  ///< objectName of the window's button (UTF-8), e.g. "CMDBASE64"
  std::string_view caption; ///< the button's caption (UTF-8)
  Box reads;
  Box writes;
  bool readsCheck1;
  /// On a button shared by several rows, the value of the button's Tag that selects this row, and
  /// the value the click leaves behind; both empty on a button of its own.
  std::string_view tag;
  std::string_view nextTag;
  /// cliName of the operation whose output this one reads back (for benchmarks and round trips).
  std::string_view inverseOf;
  std::string_view description; ///< one line, for --list
  OperationFunction run;        ///< null while the conversion has not landed
};

/// Adapts a conversion that cannot fail to an operation function: Plain<Base64Encode>.
template <std::u16string (*Convert)(std::u16string_view)>
Outcome Plain(std::u16string_view input, const OperationOptions&) {
  return Outcome::Converted(Convert(input));
}

/// Every operation, in the order of the window's dispatch table.
[[nodiscard]] std::span<const Operation> Operations();

/// The operation of a command-line name, or null.
[[nodiscard]] const Operation* FindOperation(std::string_view cliName);

/// Runs an operation once. A failure inside the conversion (out of memory, an internal error) comes
/// back as a refused outcome with a message; nothing escapes. An operation without a function
/// yet is refused with "not available yet".
[[nodiscard]] Outcome RunOperation(const Operation& operation, std::u16string_view input,
                                   const OperationOptions& options = {});

} // namespace kelvaro
