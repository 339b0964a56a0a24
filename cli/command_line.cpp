#include "cli/command_line.h"

#include "cli/streams.h"
#include "text/utf.h"

#include <iostream>
#include <optional>

namespace kelvaro {
namespace {

constexpr std::string_view kUsage =
    "usage: kelvaro-cli OPERATION [--upper] [--raw] [--crlf] [--charset NAME]\n"
    "                   [--input-charset NAME] [--] [TEXT]\n"
    "       kelvaro-cli --list | --charsets | --help | --version\n"
    "\n"
    "Runs one conversion on TEXT, or on standard input when TEXT is absent. Input and output are\n"
    "UTF-8; the result is written without a trailing newline, unless standard output is a\n"
    "terminal. Arguments that start with \"--\" are options; any other argument after\n"
    "OPERATION is the TEXT, even one that starts with \"-\"\n"
    "(kelvaro-cli amount -5). \"--\" ends the options.\n"
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
    "             read standard input in that charset instead of UTF-8\n"
    "  --list     one line per operation: name, caption, description, and whether it follows\n"
    "             the charset\n"
    "  --charsets one line per charset: name, other name, and whether it encodes every character\n"
    "  -h, --help this text (-h only before OPERATION)\n"
    "\n"
    "auto gives back what a pasted text was before it was escaped, encoded or misread, and says\n"
    "how on standard error; detect prints its candidates, best first, as JSON lines\n"
    "{\"steps\": [...], \"score\": 0..1, \"text\": \"...\"} (\"partial\": true where bytes were\n"
    "lost). The steps, in the\n"
    "order they were applied to the original:\n"
    "  X-as-Y          the X bytes of the text read as Y: X is utf8, gbk or big5, Y is gbk,\n"
    "                  big5, windows-1252 or latin1 (utf8-as-gbk: 你好 shown as 浣犲ソ)\n"
    "  url-X           bytes of the X form as %XX (X: utf8, gbk, big5 or the --charset)\n"
    "  percent-u       %uXXXX and %XX script escapes\n"
    "  unicode-escape  \\uXXXX escapes\n"
    "  html-decimal    &#N; references     html-hex  &#xH; references\n"
    "  html-named      named references such as &lt; and &amp;\n"
    "  base64-X        Base64 of the X form (X as for url-X)\n"
    "  hex-groups      the four-character hex groups of hex-encode (D6D0, O41O, ODDO)\n"
    "auto exits 1 and prints nothing when the text reads as plain text.\n"
    "\n"
    "Exit status: 0 success, 1 a message, refused input, or input or output that failed,\n"
    "2 usage error. A note beside a result (auto's) is no failure.\n";

struct Invocation {
  const Operation* operation = nullptr;
  bool upper = false;
  bool raw = false;
  bool crlf = false;
  Charset charset = Charset::Gbk;
  Charset inputCharset = Charset::Utf8;
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
void WriteBoxNotes(std::ostream& err, const Outcome& outcome, Charset charset) {
  if (outcome.inputCut) {
    err << "kelvaro-cli: note: the text holds U+0000 at character " << outcome.inputCut->position
        << "; the " << Characters(outcome.inputCut->notShown)
        << " after it were not converted (--raw takes the whole text)\n";
  }
  if (outcome.resultCut) {
    err << "kelvaro-cli: note: the result holds U+0000 at character "
        << outcome.resultCut->position << "; the " << Characters(outcome.resultCut->notShown)
        << " after it are not shown (--raw shows the whole result)\n";
  }
  if (outcome.questionMarks != 0) {
    err << "kelvaro-cli: note: " << Characters(outcome.questionMarks) << " written as \"?\" ("
        << Utf16ToUtf8(InfoOf(charset).shown) << " cannot encode "
        << (outcome.questionMarks == 1 ? "it" : "them") << ")\n";
  }
}

} // namespace

int CommandLineMain(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err, const net::HostResolver* resolver, bool outIsTerminal) {
  Invocation call;
  bool optionsEnded = false;
  std::optional<std::string> operationName;
  // An option that takes a value reads the next argument.
  const std::string* awaiting = nullptr;
  for (const std::string& arg : args) {
    if (awaiting != nullptr) {
      const std::optional<Charset> charset = CharsetNamed(arg);
      if (!charset)
        return UsageError(err, "unknown charset " + arg + " for " + *awaiting + " (choose one of " +
                                   CharsetChoices() + ")");
      (*awaiting == "--charset" ? call.charset : call.inputCharset) = *charset;
      awaiting = nullptr;
      continue;
    }
    if (!optionsEnded && arg.starts_with("--")) {
      if (arg == "--") {
        optionsEnded = true;
      } else if (arg == "--help") {
        out << kUsage;
        return kExitSuccess;
      } else if (arg == "--version") {
        out << "kelvaro-cli " << KELVARO_VERSION << '\n';
        return kExitSuccess;
      } else if (arg == "--list") {
        PrintList(out);
        return kExitSuccess;
      } else if (arg == "--charsets") {
        PrintCharsets(out);
        return kExitSuccess;
      } else if (arg == "--charset" || arg == "--input-charset") {
        awaiting = &arg;
      } else if (arg == "--upper") {
        call.upper = true;
      } else if (arg == "--raw") {
        call.raw = true;
      } else if (arg == "--crlf") {
        call.crlf = true;
      } else {
        return UsageError(err, "unknown option " + arg);
      }
    } else if (!operationName) {
      if (arg == "-h" && !optionsEnded) {
        out << kUsage;
        return kExitSuccess;
      }
      operationName = arg;
    } else if (!call.text) {
      call.text = arg;
    } else {
      return UsageError(err, "more than one TEXT; quote the text or pipe it on standard input");
    }
  }
  if (awaiting != nullptr)
    return UsageError(err,
                      *awaiting + " needs a charset name (choose one of " + CharsetChoices() + ")");
  if (!operationName)
    return UsageError(err, "no operation given");
  call.operation = FindOperation(*operationName);
  if (call.operation == nullptr)
    return UsageError(err, "unknown operation " + *operationName);

  Result<std::u16string> input =
      call.text ? Utf8ToUtf16(*call.text) : cli::ReadInCharset(in, call.inputCharset);
  if (!input) {
    if (input.error().code == ErrorCode::InvalidUtf8) {
      err << "kelvaro-cli: the input is not valid UTF-8 (at byte " << input.error().position
          << ")\n";
    } else if (input.error().code == ErrorCode::InvalidBytes) {
      err << "kelvaro-cli: the input is not valid " << InfoOf(call.inputCharset).name
          << " (at byte " << input.error().position << ")\n";
    } else {
      err << "kelvaro-cli: cannot read the input (standard input is a directory, or a read "
             "failed)\n";
    }
    return kExitRefused;
  }
  if (call.crlf)
    *input = cli::WithWindowLineBreaks(*input);

  const OperationOptions options{
      .upper = call.upper, .charset = call.charset, .resolver = resolver};
  const Outcome outcome = RunOnBoxText(*call.operation, std::move(*input), options,
                                       call.raw ? BoxRule::Skip : BoxRule::Apply);
  if (outcome.text) {
    if (!cli::WriteUtf8(out, *outcome.text)) {
      err << "kelvaro-cli: cannot write the result (is the disk full?)\n";
      return kExitRefused;
    }
    if (outIsTerminal && !outcome.text->empty() && outcome.text->back() != u'\n')
      out << '\n';
  }
  if (outcome.message)
    err << Utf16ToUtf8(outcome.message->text) << '\n';
  WriteBoxNotes(err, outcome, call.charset);
  // A status-line note beside a result says how it came about (auto's steps); it is no failure.
  const bool noteOnly =
      outcome.text && outcome.message && outcome.message->style == MessageStyle::StatusNote;
  return (outcome.message && !noteOnly) || outcome.refused() ? kExitRefused : kExitSuccess;
}

} // namespace kelvaro
