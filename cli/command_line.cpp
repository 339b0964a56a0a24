#include "cli/command_line.h"

#include "cli/pass_through.h"
#include "cli/streams.h"
#include "text/ascii.h"
#include "text/utf.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <optional>

namespace kelvaro {
namespace {

constexpr std::string_view kUsage =
    "usage: kelvaro-cli OPERATION [--upper] [--raw] [--crlf] [--quiet] [--charset NAME]\n"
    "                   [--input-charset NAME] [--] [TEXT]\n"
    "       kelvaro-cli --list | --charsets | --help | --version\n"
    "\n"
    "Runs one conversion on TEXT, or on standard input when TEXT is absent. Input and output are\n"
    "UTF-8; the result is written without a trailing newline, unless standard output is a\n"
    "terminal. Arguments that start with \"--\" are options; any other argument after\n"
    "OPERATION is the TEXT, even one that starts with \"-\"\n"
    "(kelvaro-cli amount -5). \"--\" ends the options. An option's value may follow it as\n"
    "the next word or after \"=\" (--charset=utf-8).\n"
    "\n"
    "  --upper    capital hexadecimal digits (md5, sha, \\u escapes), as the window's \"大写\" "
    "box\n"
    "  --raw      skip the text box rule (cut at the first U+0000, \"?\" for lone surrogates\n"
    "             and, in the bytes of the byte operations, for characters the charset\n"
    "             cannot encode) on input and result; without it a note on standard error\n"
    "             says what the rule cut or wrote as \"?\"\n"
    "  --crlf     read every line break as CR LF, as the window's boxes do; by default line\n"
    "             breaks are taken as the input has them\n"
    "  --charset NAME\n"
    "             the bytes the byte operations work on (default gbk: code page 936); the\n"
    "             text keeps every character whatever the charset; --charsets lists the names\n"
    "  --input-charset NAME\n"
    "             read standard input in that charset instead of UTF-8; utf-16 reads a\n"
    "             byte order mark, and big-endian without one\n"
    "  --quiet    no notes on standard error (auto's steps, what the box rule cut or wrote\n"
    "             as \"?\"); errors are still told\n"
    "  --list     one line per operation: name, caption, description, and whether it follows\n"
    "             the charset\n"
    "  --charsets one line per charset: name, other name, and whether it encodes every character\n"
    "  -h, --help this text (-h only before OPERATION)\n"
    "\n"
    "auto gives back what a pasted text was before it was escaped, encoded or misread, and says\n"
    "how on standard error; detect prints its candidates, best first, as JSON lines\n"
    "{\"steps\": [...], \"score\": 0..1, \"text\": \"...\"} (\"partial\": true where bytes were\n"
    "lost). The steps, in the\n"
    "order they were applied to the original, each named by the operation that writes it\n"
    "and \":\" and its charset where it has one (url-encode:utf8, base64-encode:gbk, c-escape:utf8,\n"
    "escape, html-encode, hex-encode, punycode-encode), a misreading as X-as-Y (utf8-as-gbk: 你好\n"
    "shown as 浣犲ソ); kelvaro-cli(1) lists them all.\n"
    "auto exits 1 and prints nothing when the text reads as plain text.\n"
    "\n"
    "Exit status: 0 success, 1 a message, refused input, or input or output that failed,\n"
    "2 usage error. A note beside a result (auto's) is no failure.\n";

struct Invocation {
  std::optional<std::reference_wrapper<const Operation>> operation; ///< found before it is used
  bool upper = false;
  bool raw = false;
  bool crlf = false;
  bool quiet = false;
  Charset charset = Charset::Gbk;
  Charset inputCharset = Charset::Utf8;
  bool inputByMark = false; ///< --input-charset utf-16: a byte order mark decides, else big-endian
  std::optional<std::string> text;
};

std::string CharsetChoices() {
  std::string names;
  for (const CharsetInfo& info : Charsets()) {
    names += names.empty() ? "" : ", ";
    names += info.name;
  }
  return names;
}

int UsageError(std::ostream& err, std::string_view problem) {
  err << "kelvaro-cli: " << problem << "; see kelvaro-cli --help\n";
  return kExitUsage;
}

void PrintList(std::ostream& out) {
  for (const Operation& operation : Operations()) {
    out << operation.cliName << '\t' << operation.caption << '\t' << operation.description;
    if (operation.followsCharset)
      out << " [follows --charset]";
    out << '\n';
  }
}

void PrintCharsets(std::ostream& out) {
  for (const CharsetInfo& info : Charsets()) {
    out << info.name << '\t' << (info.alias.empty() ? "-" : info.alias) << '\t'
        << (info.keepsEveryCharacter ? "encodes every character"
                                     : "bytes of characters it lacks are ?")
        << '\n';
  }
}

std::string Characters(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " character" : " characters");
}

// What the box rule did beside the result, so that nothing is lost without a word: the same notes
// the window's status line gives. They are no failure.
void WriteInputCutNote(std::ostream& err, const std::optional<CutAtNul>& cut) {
  if (cut) {
    err << "kelvaro-cli: note: the text holds U+0000 at character " << cut->position << "; the "
        << Characters(cut->notShown) << (cut->notShown == 1 ? " after it was" : " after it were")
        << " not converted (--raw takes the whole text)\n";
  }
}

// A run on text and a run on UTF-8 bytes are told alike.
template <class Run> void WriteBoxNotes(std::ostream& err, const Run& outcome, Charset charset) {
  WriteInputCutNote(err, outcome.inputCut);
  if (outcome.resultCut) {
    err << "kelvaro-cli: note: the result holds U+0000 at character "
        << outcome.resultCut->position << "; the " << Characters(outcome.resultCut->notShown)
        << (outcome.resultCut->notShown == 1 ? " after it is" : " after it are")
        << " not shown (--raw shows the whole result)\n";
  }
  if (outcome.questionMarks != 0) {
    err << "kelvaro-cli: note: " << Characters(outcome.questionMarks) << " written as \"?\" ("
        << Utf16ToUtf8(InfoOf(charset).shown) << " cannot encode "
        << (outcome.questionMarks == 1 ? "it" : "them") << ")\n";
  }
}

// The words of a command line, split at the operation. Debian 12's CLI11 (2.1.2) would read a
// "-5" after the operation as an option, while the contract makes every word after the operation
// that does not start with "--" the text (kelvaro-cli amount -5); so the words are split here, and
// CLI11 parses the options alone.
struct SplitWords {
  std::vector<std::string> options; ///< in order, each value after its option
  std::optional<std::string> operation;
  std::vector<std::string> texts;
};

bool TakesValue(std::string_view option) {
  return option == "--charset" || option == "--input-charset";
}

SplitWords SplitAtOperation(const std::vector<std::string>& args) {
  SplitWords words;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg.starts_with("--")) {
      words.options.push_back(arg);
      if (TakesValue(arg) && i + 1 < args.size())
        words.options.push_back(args[++i]);
    } else if (!words.operation && !optionsEnded && arg == "-h") {
      words.options.push_back(arg); // help only before the operation: after it "-h" is text
    } else if (!words.operation) {
      words.operation = arg;
    } else {
      words.texts.push_back(arg);
    }
  }
  return words;
}

bool IsUtf16ByMark(std::string_view name) {
  return EqualsIgnoringAsciiCase(name, "utf-16") || EqualsIgnoringAsciiCase(name, "utf16");
}

void TellInputProblem(std::ostream& err, const Error& error, Charset inputCharset) {
  if (error.code == ErrorCode::InvalidUtf8) {
    err << "kelvaro-cli: the input is not valid UTF-8 (at byte " << error.position
        << "); --input-charset NAME reads it in another charset\n";
  } else if (error.code == ErrorCode::InvalidBytes) {
    err << "kelvaro-cli: the input is not valid " << InfoOf(inputCharset).name << " (at byte "
        << error.position << ")\n";
  } else {
    err << "kelvaro-cli: cannot read the input (standard input is a directory, or a read "
           "failed)\n";
  }
}

// An operation that reads only its input's bytes takes UTF-8 input as bytes: with --charset utf-8
// as it is, validated once, instead of decoding it to UTF-16 and encoding it back; in another
// charset from standard input, put into that charset a block at a time, so that reading,
// encoding and the run go through each block while it is in the processor's cache and no whole
// copy of the text is made.
bool ReadsUtf8AsBytes(const Invocation& call) {
  const Operation& operation = *call.operation;
  const bool asBytes = call.charset == Charset::Utf8
                           ? operation.runOnBytes != nullptr
                           : operation.streamOnBytes != nullptr && !call.text;
  return asBytes && !call.crlf && !call.inputByMark && call.inputCharset == Charset::Utf8;
}

Result<BytesOutcome> RunOnUtf8Bytes(const Invocation& call, std::istream& in,
                                    const OperationOptions& options, BoxRule rule) {
  if (call.text)
    return cli::RunOnUtf8(*call.operation, *call.text, false, options, rule);
  return cli::RunOnUtf8Stream(*call.operation, in, options, rule);
}

Result<Outcome> RunOnText(const Invocation& call, std::istream& in, const OperationOptions& options,
                          BoxRule rule) {
  Result<std::u16string> input = call.text          ? Utf8ToUtf16(*call.text)
                                 : call.inputByMark ? cli::ReadUtf16ByMark(in)
                                                    : cli::ReadInCharset(in, call.inputCharset);
  if (!input)
    return unexpected<Error>(input.error());
  if (call.crlf)
    *input = cli::WithWindowLineBreaks(*input);
  return RunOnBoxText(*call.operation, std::move(*input), options, rule);
}

bool WriteResult(std::ostream& out, const std::u16string& text) { return !!cli::WriteUtf8(out, text); }

bool WriteResult(std::ostream& out, const std::string& bytes) {
  return out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) && out.flush();
}

// The result on out, its message and notes on err; the exit status. A run on text and a run on
// UTF-8 bytes are told alike.
template <class Run>
int Report(const Invocation& call, const Run& run, std::ostream& out, std::ostream& err,
           bool outIsTerminal) {
  if (run.text) {
    if (!WriteResult(out, *run.text)) {
      err << "kelvaro-cli: cannot write the result (is the disk full?)\n";
      return kExitRefused;
    }
    if (outIsTerminal && !run.text->empty() && run.text->back() != '\n')
      out << '\n';
  }
  // A status-line note beside a result says how it came about (auto's steps); it is no failure,
  // and --quiet drops it with the box rule's notes. Errors are always told.
  const bool noteOnly = run.text && run.message && run.message->style == MessageStyle::StatusNote;
  if (run.message && !(noteOnly && call.quiet))
    err << Utf16ToUtf8(run.message->text) << '\n';
  if (!call.quiet)
    WriteBoxNotes(err, run, call.charset);
  return (run.message && !noteOnly) || !run.text ? kExitRefused : kExitSuccess;
}

} // namespace

int CommandLineMain(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err, const net::HostResolver* resolver, bool outIsTerminal) {
  Invocation call;
  const SplitWords words = SplitAtOperation(args);
  bool help = false, version = false, list = false, charsets = false;
  std::optional<std::string> charsetName, inputCharsetName;
  CLI::App parser("kelvaro-cli");
  parser.set_help_flag(); // the usage below is the program's own
  parser.add_flag("-h,--help", help);
  parser.add_flag("--version", version);
  parser.add_flag("--list", list);
  parser.add_flag("--charsets", charsets);
  parser.add_flag("--upper", call.upper);
  parser.add_flag("--raw", call.raw);
  parser.add_flag("--crlf", call.crlf);
  parser.add_flag("--quiet", call.quiet);
  parser.add_option("--charset", charsetName);
  parser.add_option("--input-charset", inputCharsetName);
  try {
    std::vector<std::string> reversed(words.options.rbegin(), words.options.rend());
    parser.parse(reversed);
  } catch (const CLI::ParseError& error) {
    // CLI11 words an unknown option "The following argument was not expected: --bogus".
    std::string problem = error.what();
    if (const std::size_t colon = problem.find("not expected: "); colon != std::string::npos)
      problem = "unknown option " + problem.substr(colon + 14);
    // And an option without its value "--charset: 1 required TEXT missing".
    if (const std::size_t colon = problem.find(": 1 required"); colon != std::string::npos)
      problem = problem.substr(0, colon) + " needs a charset name (choose one of " +
                CharsetChoices() + ")";
    return UsageError(err, problem);
  }
  // -h is help only before the operation; after it "-h" is text (SplitAtOperation saw to that).
  if (help) {
    out << kUsage;
    return kExitSuccess;
  }
  if (version) {
    out << "kelvaro-cli " << KELVARO_VERSION << '\n';
    return kExitSuccess;
  }
  if (list || charsets) {
    if (words.operation || !words.texts.empty())
      return UsageError(err, std::string(list ? "--list" : "--charsets") +
                                 " takes no operation or text");
    if (list)
      PrintList(out);
    else
      PrintCharsets(out);
    return kExitSuccess;
  }
  if (charsetName) {
    const std::optional<Charset> charset = CharsetNamed(*charsetName);
    if (!charset)
      return UsageError(err, "unknown charset " + *charsetName + " for --charset (choose one of " +
                                 CharsetChoices() + ")");
    call.charset = *charset;
  }
  if (inputCharsetName) {
    const std::optional<Charset> charset = CharsetNamed(*inputCharsetName);
    call.inputByMark = !charset && IsUtf16ByMark(*inputCharsetName);
    if (!charset && !call.inputByMark)
      return UsageError(err, "unknown charset " + *inputCharsetName +
                                 " for --input-charset (choose one of " + CharsetChoices() +
                                 ", utf-16)");
    call.inputCharset = charset.value_or(Charset::Utf16Be);
  }
  if (!words.operation)
    return UsageError(err, "no operation given");
  if (words.texts.size() > 1)
    return UsageError(err, "more than one TEXT; quote the text or pipe it on standard input");
  if (!words.texts.empty())
    call.text = words.texts.front();
  call.operation = FindOperation(*words.operation);
  if (!call.operation)
    return UsageError(err, "unknown operation " + *words.operation);

  const OperationOptions options{
      .upper = call.upper, .charset = call.charset, .resolver = resolver};
  const BoxRule rule = call.raw ? BoxRule::Skip : BoxRule::Apply;
  if (ReadsUtf8AsBytes(call)) {
    const Result<BytesOutcome> run = RunOnUtf8Bytes(call, in, options, rule);
    if (!run) {
      TellInputProblem(err, run.error(), call.inputCharset);
      return kExitRefused;
    }
    return Report(call, *run, out, err, outIsTerminal);
  }
  const Result<Outcome> run = RunOnText(call, in, options, rule);
  if (!run) {
    TellInputProblem(err, run.error(), call.inputCharset);
    return kExitRefused;
  }
  return Report(call, *run, out, err, outIsTerminal);
}

} // namespace kelvaro
