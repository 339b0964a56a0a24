#include "cli/command_line.h"

#include "cli/streams.h"
#include "text/utf.h"

#include <iostream>
#include <optional>

namespace kelvaro {
namespace {

constexpr std::string_view kUsage =
    "usage: kelvaro-cli OPERATION [--upper] [--raw] [--crlf] [--] [TEXT]\n"
    "       kelvaro-cli --list | --help | --version\n"
    "\n"
    "Runs one conversion on TEXT, or on standard input when TEXT is absent. Input and output are\n"
    "UTF-8; the result is written without a trailing newline. Arguments that start with \"--\" "
    "are\n"
    "options; any other argument after OPERATION is the TEXT, even one that starts with \"-\"\n"
    "(kelvaro-cli amount -5). \"--\" ends the options.\n"
    "\n"
    "  --upper    capital hexadecimal digits (md5-16, md5-32), as the window's \"大写\" box\n"
    "  --raw      skip the text box rule (cut at the first U+0000, \"?\" for characters that\n"
    "             code page 936 lacks) on input and result\n"
    "  --crlf     read every line break as CR LF, as the window's boxes do; by default line\n"
    "             breaks are taken as the input has them\n"
    "  --list     one line per operation: name, button caption, description\n"
    "  -h, --help this text (-h only before OPERATION)\n"
    "\n"
    "Exit status: 0 success, 1 a message, refused input, or input or output that failed,\n"
    "2 usage error.\n";

struct Invocation {
  const Operation* operation = nullptr;
  bool upper = false;
  bool raw = false;
  bool crlf = false;
  std::optional<std::string> text;
};

int UsageError(std::ostream& err, std::string_view problem) {
  err << "kelvaro-cli: " << problem << "; see kelvaro-cli --help\n";
  return kExitUsage;
}

void PrintList(std::ostream& out) {
  for (const Operation& operation : Operations())
    out << operation.cliName << '\t' << operation.caption << '\t' << operation.description << '\n';
}

} // namespace

int CommandLineMain(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err, const net::HostResolver* resolver) {
  Invocation call;
  bool optionsEnded = false;
  std::optional<std::string> operationName;
  for (const std::string& arg : args) {
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
  if (!operationName)
    return UsageError(err, "no operation given");
  call.operation = FindOperation(*operationName);
  if (call.operation == nullptr)
    return UsageError(err, "unknown operation " + *operationName);

  Result<std::u16string> input = call.text ? Utf8ToUtf16(*call.text) : cli::ReadUtf8(in);
  if (!input) {
    if (input.error().code == ErrorCode::InvalidUtf8) {
      err << "kelvaro-cli: the input is not valid UTF-8 (at byte " << input.error().position
          << ")\n";
    } else {
      err << "kelvaro-cli: cannot read the input (standard input is a directory, or a read "
             "failed)\n";
    }
    return kExitRefused;
  }
  if (call.crlf)
    *input = cli::WithWindowLineBreaks(*input);

  const OperationOptions options{.upper = call.upper, .resolver = resolver};
  const Outcome outcome = RunOnBoxText(*call.operation, std::move(*input), options,
                                       call.raw ? BoxRule::Skip : BoxRule::Apply);
  if (outcome.text) {
    if (!cli::WriteUtf8(out, *outcome.text)) {
      err << "kelvaro-cli: cannot write the result (is the disk full?)\n";
      return kExitRefused;
    }
  }
  if (outcome.message)
    err << Utf16ToUtf8(outcome.message->text) << '\n';
  return outcome.message || outcome.refused() ? kExitRefused : kExitSuccess;
}

} // namespace kelvaro
