#pragma once
// The one list of the program's operations, and the one place where a conversion's result becomes
// what the user sees: a box's new text, a message, or both. The window wires its buttons to these
// rows, kelvaro-cli takes its commands from them, and the benchmarks and the fuzzer run every row.

#include "text/box_rule.h"
#include "text/charset.h"
#include "text/result.h"

#include <functional>
#include <memory>
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
  /// The words for a window shown in English, where it shows them so (status-line notes);
  /// empty: the text stands in every language.
  std::u16string english = {};
};

/// Another result an operation found, that the user may take instead of `Outcome::text` (`auto`:
/// the other readings of the input, for the window's drop-down).
struct Alternative {
  std::u16string text;  ///< what the target box receives when the user picks it
  std::u16string words;   ///< how it came about, in the words of the status line
  std::u16string english = {}; ///< the same in English, for a window shown in English
};

/// What one run of an operation gives.
struct Outcome {
  /// The text the target box receives; absent when the box keeps its content (input refused).
  std::optional<std::u16string> text = {};
  std::optional<Message> message = {};
  /// Other results, best first (at most four); RunOnBoxText applies the box rule to each.
  std::vector<Alternative> alternatives = {};

  // What RunOnBoxText tells besides the result, so that nothing is lost without a word:
  /// Characters the run wrote as "?": those of the input that the charset cannot encode, in the
  /// bytes of an operation that encodesInput, and lone surrogates of the input or the result.
  std::size_t questionMarks = 0;
  /// The input held U+0000 with characters after it: only the text before it was converted.
  std::optional<CutAtNul> inputCut = {};
  /// The result holds U+0000 with characters after it: a box shows only the text before it.
  std::optional<CutAtNul> resultCut = {};

  [[nodiscard]] static Outcome Converted(std::u16string result) { return {std::move(result)}; }
  /// The input cannot be converted: the box keeps its content and the message says why.
  [[nodiscard]] static Outcome Refused(Message why) { return {std::nullopt, std::move(why)}; }
  [[nodiscard]] bool refused() const { return !text.has_value(); }
};

/// What an operation may read besides its text.
struct OperationOptions {
  bool upper = false;             ///< Check1 ("大写") is checked, or --upper
  Charset charset = Charset::Gbk; ///< the bytes of the byte operations, and what a box holds
  const net::HostResolver* resolver = nullptr; ///< null: the platform resolver
};

using OperationFunction = Outcome (*)(std::u16string_view input, const OperationOptions& options);
/// What a run on bytes gives (the command line's UTF-8 input, read as bytes): the result as valid
/// UTF-8, written out as it is, or the message that refuses the input; and what Outcome tells
/// besides (such a result holds no lone surrogate, so no "?" of its own).
struct BytesOutcome {
  std::optional<std::string> text = {};
  std::optional<Message> message = {};
  std::optional<CutAtNul> inputCut = {};
  std::optional<CutAtNul> resultCut = {};
  std::size_t questionMarks = 0; ///< characters of the input the chosen charset cannot encode
};

/// The same conversion on the input's bytes: for an operation that encodesInput, its bytes in the
/// chosen charset; for one that does not, its UTF-8, which it reads by the charset's rules itself.
using BytesFunction = BytesOutcome (*)(std::string_view bytes, const OperationOptions& options);

/// The table of codes by which a run reads its text's code units in the chosen code page (as
/// BytesOfCodes takes it), or null where it reads them as EncodeText does.
using CodeTableFunction = const std::uint16_t* (*)(Charset charset);

/// The same conversion on bytes given a block at a time (standard input read in blocks): after Add
/// of each block in order, Finish gives what the row's BytesFunction gives for the blocks joined. A
/// block may end inside a character.
class BytesStream {
public:
  virtual ~BytesStream() = default;
  virtual void Add(std::string_view bytes) = 0;
  [[nodiscard]] virtual BytesOutcome Finish() = 0;
};

/// Begins a BytesStream; `expectedBytes` is the input's length where it is known, else 0.
using BytesStreamFunction = std::unique_ptr<BytesStream> (*)(const OperationOptions& options,
                                                             std::size_t expectedBytes);

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
  /// Works on the bytes of its input in the chosen charset, where each character the charset
  /// lacks is the byte "?": such characters become "?" before the run (so that every byte it
  /// writes is the one it has always written) and the outcome counts them.
  bool encodesInput = false;
  /// Only on the command line: the window lists it nowhere, and its result is a report for
  /// standard output, not box text, so the box rule leaves the result alone.
  bool commandLineOnly = false;
  std::string_view description = {}; ///< one line, for --list and the tooltips
  OperationFunction run = nullptr;
  /// For an operation that reads its input only as its bytes in the chosen charset: the run on
  /// bytes already in that charset, so that UTF-8 input passes through with --charset utf-8
  /// instead of being decoded and encoded again. Null: only `run`.
  BytesFunction runOnBytes = nullptr;
  /// runOnBytes for input read a block at a time, so that a large input is never held whole.
  /// Null: only runOnBytes, on the whole input.
  BytesStreamFunction streamOnBytes = nullptr;
  /// For an operation with streamOnBytes whose `run` reads a text's units in a code page by other
  /// codes than EncodeText's (MD5's in GBK), so that a text can stream through it in any charset.
  CodeTableFunction codesOfUnits = nullptr;
};

/// Every operation: first those of the window's buttons, in the order of its dispatch table.
[[nodiscard]] std::span<const Operation> Operations();

/// The operation of a command-line name, or nothing when no operation has that name.
[[nodiscard]] std::optional<std::reference_wrapper<const Operation>>
FindOperation(std::string_view cliName);

/// The user's words for why a conversion refused its input: the one table of the program's
/// messages.
[[nodiscard]] Message MessageFor(ErrorCode code);

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
/// (cut at the first U+0000, "?" for a lone surrogate) applies to the input before the run and to
/// the result and its alternatives after it, in place; an operation that encodesInput gets "?" for
/// each character the chosen charset lacks. The outcome says what was cut and how many characters
/// became "?". The result of a commandLineOnly operation is left as it is.
[[nodiscard]] Outcome RunOnBoxText(const Operation& operation, std::u16string input,
                                   const OperationOptions& options, BoxRule rule = BoxRule::Apply);

/// RunOnBoxText for valid UTF-8 (the command line's input) that is already the bytes runOnBytes
/// reads: in the chosen charset UTF-8, or for an operation that does not encodesInput in any. The
/// box rule's cut at U+0000 applies to the bytes and to the result, and nothing else can (valid
/// UTF-8 holds no lone surrogate, and UTF-8 encodes every character).
[[nodiscard]] BytesOutcome RunOnBoxBytes(const Operation& operation, std::string_view bytes,
                                         const OperationOptions& options,
                                         BoxRule rule = BoxRule::Apply);

/// RunOnBoxText for valid UTF-8 given a block at a time (standard input read in blocks), for an
/// operation with streamOnBytes: after Add of each block in order, Finish gives what RunOnBoxText
/// gives for the text of the blocks joined. A block may end inside a character. The bytes go to
/// the run as they are (RunOnBoxBytes of the blocks joined), except for an operation that
/// encodesInput in a charset other than UTF-8: each block's characters are then put into the
/// charset's bytes as RunOnBoxText would, "?" for those it cannot encode, counted. With
/// BoxRule::Apply the bytes from the first U+0000 on are counted for the note, not converted. A
/// fault of the conversion (out of memory, an internal error) comes back from Finish as a refused
/// outcome; nothing escapes.
class BoxBytesStream {
public:
  BoxBytesStream(const Operation& operation, const OperationOptions& options,
                 BoxRule rule = BoxRule::Apply, std::size_t expectedBytes = 0);
  void Add(std::string_view bytes);
  [[nodiscard]] BytesOutcome Finish();

private:
  void Convert(std::string_view bytes);
  void ConvertInCharset(std::string_view bytes);

  const Operation& m_operation;
  Charset m_charset;
  std::unique_ptr<BytesStream> m_run;
  std::optional<Message> m_fault; ///< why the conversion stopped; the blocks after are not run
  BoxRule m_rule;
  std::u16string m_units; ///< a block's characters, in a charset that is no code page
  std::string m_bytes;    ///< a block's bytes, in a charset other than UTF-8
  std::size_t m_questionMarks = 0;
  std::size_t m_characters = 0;       ///< characters before the U+0000, so far
  std::optional<std::size_t> m_nulAt; ///< where the cut is, once a U+0000 came
  std::size_t m_notShown = 0;         ///< characters after it, other than U+0000
};

} // namespace kelvaro
