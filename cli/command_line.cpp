#include "cli/command_line.h"

#include "text/box_rule.h"
#include "text/codepage.h"
#include "text/utf.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <optional>

namespace kelvaro {
namespace {

constexpr std::string_view kUsage =
    "usage: kelvaro-cli OPERATION [--upper] [--raw] [TEXT]\n"
    "       kelvaro-cli --list | --help | --version\n"
    "\n"
    "Runs one conversion on TEXT, or on standard input when TEXT is absent. Input and output are\n"
    "UTF-8; the result is written without a trailing newline.\n"
    "\n"
    "  --upper    capital hexadecimal digits (md5-16, md5-32), as the window's \"大写\" box\n"
    "  --raw      skip the text box rule (cut at the first U+0000, \"?\" for characters that\n"
    "             code page 936 lacks) on input and result\n"
    "  --list     one line per operation: name, button caption, description\n"
    "\n"
    "Exit status: 0 success, 1 a message or refused input, 2 usage error.\n";

struct Invocation {
  const Operation* operation = nullptr;
  bool upper = false;
  bool raw = false;
  std::optional<std::string> text;
};

int UsageError(std::ostream& err, std::string_view problem) {
  err << "kelvaro-cli: " << problem << "\n\n" << kUsage;
  return kExitUsage;
}

void PrintList(std::ostream& out) {
  for (const Operation& operation : Operations()) {
    out << operation.cliName << '\t' << operation.caption << '\t' << operation.description;
    if (operation.run == nullptr)
      out << " (not available yet)";
    out << '\n';
  }
}

// Reads all of the input and decodes it a block at a time, so that the whole of it is never held
// as bytes and as text at once. With the box rule, each block's characters that code page 936
// lacks become "?" while the block is fresh in the cache; the cut at U+0000 is left to the caller.
Result<std::u16string> ReadUtf8Input(std::istream& in, bool boxRule) {
  std::u16string text;
  // A file on stdin tells its size: the text will need at most as many code units as it has bytes.
  if (const auto start = in.tellg(); start != std::streampos(-1) && in.seekg(0, std::ios::end)) {
    const auto end = in.tellg();
    in.seekg(start);
    if (end != std::streampos(-1) && end > start)
      text.reserve(static_cast<std::size_t>(end - start));
  }
  in.clear();
  constexpr std::size_t kBlock = 1 << 20;
  std::string block(kBlock + 4, '\0');
  std::size_t carried = 0; // bytes of an incomplete sequence kept from the previous block
  std::size_t offset = 0;  // input bytes before the block
  while (true) {
    in.read(block.data() + carried, static_cast<std::streamsize>(kBlock));
    const std::size_t size = carried + static_cast<std::size_t>(in.gcount());
    const bool last = !in;
    const std::string_view bytes(block.data(), size);
    const std::size_t cut = last ? size : CompleteUtf8Prefix(bytes);
    const std::size_t decoded = text.size();
    if (Result<void> appended = AppendUtf8AsUtf16(text, bytes.substr(0, cut)); !appended) {
      return Fail(ErrorCode::InvalidUtf8, offset + appended.error().position);
    }
    if (boxRule)
      ReplaceMissingFrom936(std::span(text).subspan(decoded));
    if (last)
      return text;
    std::memmove(block.data(), block.data() + cut, size - cut);
    carried = size - cut;
    offset += cut;
  }
}

// Writes the result a block at a time, so that no second copy of a large result is built.
void WriteUtf8(std::ostream& out, std::u16string_view text, bool boxRule) {
  if (boxRule)
    text = text.substr(0, TextBoxLength(text));
  constexpr std::size_t kBlock = 1 << 16;
  std::string bytes;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t n = std::min(kBlock, text.size() - i);
    // Keep a surrogate pair in one block. (The box rule leaves no surrogates.)
    if (i + n < text.size() && text[i + n - 1] >= 0xD800 && text[i + n - 1] <= 0xDBFF)
      ++n;
    bytes.clear();
    AppendUtf16AsUtf8(bytes, text.substr(i, n), boxRule ? TextBoxUnitTable() : nullptr);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    i += n;
  }
  out.flush();
}

} // namespace

int CommandLineMain(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err, const net::HostResolver* resolver) {
  Invocation call;
  bool optionsEnded = false;
  std::optional<std::string> operationName;
  for (const std::string& arg : args) {
    if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
      if (arg == "--") {
        optionsEnded = true;
      } else if (arg == "--help" || arg == "-h") {
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
      } else {
        return UsageError(err, "unknown option " + arg);
      }
    } else if (!operationName) {
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

  Result<std::u16string> input = call.text ? Utf8ToUtf16(*call.text) : ReadUtf8Input(in, !call.raw);
  if (!input) {
    err << "kelvaro-cli: the input is not valid UTF-8 (at byte " << input.error().position << ")\n";
    return kExitRefused;
  }
  // Without --raw the text goes in and comes out as the window's boxes would hold it.
  if (!call.raw) {
    if (call.text) {
      ApplyTextBoxRuleInPlace(*input);
    } else {
      input->resize(TextBoxLength(*input)); // the rest was applied per block
    }
  }

  Outcome outcome = RunOperation(*call.operation, *input, OperationOptions{call.upper, resolver});
  *input = std::u16string(); // the input's memory serves the output from here on
  if (outcome.text)
    WriteUtf8(out, *outcome.text, !call.raw);
  if (outcome.message)
    err << Utf16ToUtf8(outcome.message->text) << '\n';
  return outcome.message || outcome.refused() ? kExitRefused : kExitSuccess;
}

} // namespace kelvaro
