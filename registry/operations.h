#pragma once
// The one list of the program's operations, and the one place where a conversion's result becomes
// what the user sees: a box's new text, a message, or both. The window wires its buttons to these
// rows, kelvaro-cli takes its commands from them, and the benchmarks and the fuzzer run every row.

#include "text/charset.h"
#include "text/result.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro {

namespace net {
class HostResolver;
}

/// The two large boxes an operation reads from and writes to.
enum class Box { Text1, Text2 };

/// How the window shows a message; the command line writes every one to standard error.
enum class MessageStyle {
  StatusNote, ///< a note in the status line, no box
  Plain,      ///< a message box with an OK button
  Error,      ///< a message box with the error (stop) icon
};

/// A message for the user.
struct Message {
  std::u16string text;
  MessageStyle style = MessageStyle::Plain;
  std::u16string title; ///< empty: the window's own caption
};

/// Another result an operation found, that the user may take instead of `Outcome::text` (`auto`:
/// the other readings of the input, for the window's drop-down).
struct Alternative {
  std::u16string text;  ///< what the target box receives when the user picks it
  std::u16string words; ///< how it came about, in the words of the status line
};

/// What one run of an operation gives.
struct Outcome {
  /// The text the target box receives; absent when the box keeps its content (input refused).
  std::optional<std::u16string> text;
  std::optional<Message> message;
  /// How many code units of the text became "?" under the box rule (RunOnBoxText counts them).
  std::size_t lostToBox = 0;
  /// Other results, best first (at most four); RunOnBoxText applies the box rule to each.
  std::vector<Alternative> alternatives = {};

  [[nodiscard]] static Outcome Converted(std::u16string result) {
    return {std::move(result), {}, 0};
  }
  /// The input cannot be converted: the box keeps its content and the message says why.
  [[nodiscard]] static Outcome Refused(Message why) { return {std::nullopt, std::move(why), 0}; }
  [[nodiscard]] bool refused() const { return !text.has_value(); }
};

/// What an operation may read besides its text.
struct OperationOptions {
  bool upper = false;             ///< Check1 ("大写") is checked, or --upper
  Charset charset = Charset::Gbk; ///< the bytes of the byte operations, and what a box holds
  const net::HostResolver* resolver = nullptr; ///< null: the platform resolver
};

using OperationFunction = Outcome (*)(std::u16string_view input, const OperationOptions& options);

/// One row of the registry.
struct Operation {
  std::string_view cliName = {}; ///< command-line name, e.g. "base64-encode"
  std::string_view caption = {}; ///< what the window calls it (UTF-8), e.g. "base64encode"
  Box reads = Box::Text1;
  Box writes = Box::Text2;
  bool readsUpper = false;     ///< reads the "大写" box (--upper)
  bool followsCharset = false; ///< works on the bytes of the chosen charset (--charset)
  /// cliName of the operation whose output this one reads back (for benchmarks and round trips).
  std::string_view inverseOf = {};
  /// Reads its text as pasted: of the box rule only the cut at U+0000 applies to its input, not
  /// the "?" for characters the charset lacks (recognising ÖÐÎÄ needs every character of it).
  bool readsPastedText = false;
  /// Only on the command line: the window lists it nowhere, and its result is a report for
  /// standard output, not box text, so the box rule leaves the result alone.
  bool commandLineOnly = false;
  std::string_view description = {}; ///< one line, for --list and the tooltips
  OperationFunction run = nullptr;
};

/// Every operation: first those of the window's buttons, in the order of its dispatch table.
[[nodiscard]] std::span<const Operation> Operations();

/// The operation of a command-line name, or null.
[[nodiscard]] const Operation* FindOperation(std::string_view cliName);

/// The user's words for why a conversion refused its input: the one table of the program's
/// messages.
[[nodiscard]] Message MessageFor(ErrorCode code);

/// The status line's note when `auto` ran on a box that had turned pasted characters into "?"
/// (the charset lacks them): what was lost cannot be recognised, and a charset whose boxes keep
/// every character (utf-8, gb18030) would have kept it.
[[nodiscard]] Message PastedCharactersLostNote();

/// Runs an operation once on the text as given. A failure inside the conversion (out of memory, an
/// internal error) comes back as a refused outcome with a message; nothing escapes.
[[nodiscard]] Outcome RunOperation(const Operation& operation, std::u16string_view input,
                                   const OperationOptions& options = {});

/// Whether the text box rule applies around a run.
enum class BoxRule {
  Apply, ///< the text as a box holds it goes in, and the result as a box would show it comes out
  Skip,  ///< the text goes in and out exactly as given (kelvaro-cli --raw)
};

/// Runs an operation on a box's text, as both front ends do: with BoxRule::Apply the text box rule
/// (cut at the first U+0000, "?" for what the chosen charset cannot encode) applies to the input
/// before the run and to the result and its alternatives after it, in place, and the outcome
/// counts what the result lost to "?". An operation that readsPastedText gets only the cut on its
/// input; the result of a commandLineOnly one is left as it is.
[[nodiscard]] Outcome RunOnBoxText(const Operation& operation, std::u16string input,
                                   const OperationOptions& options, BoxRule rule = BoxRule::Apply);

} // namespace kelvaro
