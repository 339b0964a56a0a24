#include "cli/command_line.h"
#include "cli/streams.h"
#include "codec/escape/percent_u.h"
#include "support/process.h"
#include "text/utf.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace kelvaro {
namespace {

struct CliRun {
  int status;
  std::string out, err;
};

CliRun Cli(std::vector<std::string> args, const std::string& stdinText = {}) {
  std::istringstream in(stdinText);
  std::ostringstream out, err;
  const int status = CommandLineMain(args, in, out, err);
  return {status, out.str(), err.str()};
}

TEST(CommandLine, TextArgumentAndStandardInputGiveTheSameResult) {
  const CliRun fromArgument = Cli({"base64-encode", "中文"});
  const CliRun fromStdin = Cli({"base64-encode"}, "中文");
  EXPECT_EQ(fromArgument.status, kExitSuccess);
  EXPECT_EQ(fromArgument.out, "1tDOxA=="); // no newline added
  EXPECT_EQ(fromStdin.out, fromArgument.out);
}

TEST(CommandLine, InvalidUtf8IsRefusedWithNothingOnStdout) {
  const CliRun run = Cli({"base64-encode"}, "ab\xFF");
  EXPECT_EQ(run.status, kExitRefused);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("not valid UTF-8 (at byte 2)"), std::string::npos) << run.err;
}

// A usage error is one line that points at --help, not the whole usage text.
TEST(CommandLine, UsageErrorsExitTwoWithOneLine) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {"no-such-operation"},
           {"base64-encode", "--bogus"},
           {"base64-encode", "a", "b"},
           {"--upper"},
           {"--"},
           {"--", "-h"}, // after "--", "-h" is a name, and no operation bears it
           {"-5"},
           {"amount", "-5", "-6"},
           {"escape", "--", "--", "--"}}) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.starts_with("kelvaro-cli: ")) << run.err;
    EXPECT_TRUE(run.err.ends_with("; see kelvaro-cli --help\n")) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
}

// "-5" is one of the amount's own examples: after the operation only "--" words are options.
TEST(CommandLine, ArgumentsAfterTheOperationAreTextUnlessTheyStartWithTwoDashes) {
  const CliRun negative = Cli({"amount", "-5"});
  EXPECT_EQ(negative.status, kExitSuccess) << negative.err;
  EXPECT_EQ(negative.out, "(负数)伍圆整");
  EXPECT_EQ(Cli({"amount", "--", "--5"}).status, kExitRefused); // text, not an option
  EXPECT_EQ(Cli({"escape", "-h"}).out, "-h");
  EXPECT_EQ(Cli({"-h"}).status, kExitSuccess);
  EXPECT_NE(Cli({"-h"}).out.find("usage: kelvaro-cli"), std::string::npos);
  EXPECT_EQ(Cli({"--upper", "md5-16", "-x"}).status, kExitSuccess);
}

// "--" ends the options: every later argument is the operation or the TEXT, dashes and all.
TEST(CommandLine, DoubleDashEndsTheOptions) {
  struct Case {
    std::vector<std::string> args;
    std::string out;
  };
  const Case cases[] = {
      {{"escape", "--", "--upper"}, "--upper"}, {{"escape", "--", "--"}, "--"},
      {{"escape", "--", "-h"}, "-h"},           {{"--", "escape", "--raw"}, "--raw"},
      {{"amount", "--", "-5"}, "(负数)伍圆整"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const CliRun run = Cli(c.args);
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, "");
  }
  // The option before "--" still counts; the same word after it is hashed.
  EXPECT_EQ(Cli({"md5-32", "--upper", "--", "--raw"}).out, "9CD6C28B14C1E9787D3A4DF018D26D18");
}

// "-h" asks for help only where an operation could stand; after it, "-h" is text.
TEST(CommandLine, DashHIsHelpOnlyBeforeTheOperation) {
  const std::string usage = Cli({"--help"}).out;
  ASSERT_TRUE(usage.starts_with("usage: kelvaro-cli")) << usage;
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"-h"}, {"--raw", "-h"}, {"-h", "escape"}}) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.out, usage);
  }
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"escape", "-h"}, {"escape", "--raw", "-h"}, {"escape", "-h", "--upper"}}) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.out, "-h");
  }
}

// The help names what the options do; a script's author reads it before the man page.
TEST(CommandLine, HelpDocumentsEveryOptionAndTheTextRule) {
  const std::string usage = Cli({"--help"}).out;
  for (const std::string_view word :
       {"--upper", "--raw", "--crlf", "--list", "--help", "--version", "\"--\"", "-5"}) {
    EXPECT_NE(usage.find(word), std::string::npos) << word;
  }
}

// --list is the registry as text: one line per row, in the registry's order, three fields.
TEST(CommandLine, ListNamesEveryOperationOnce) {
  const CliRun run = Cli({"--list"});
  EXPECT_EQ(run.status, kExitSuccess);
  std::string expected;
  for (const Operation& operation : Operations()) {
    expected += std::string(operation.cliName) + '\t' + std::string(operation.caption) + '\t' +
                std::string(operation.description) +
                (operation.followsCharset ? " [follows --charset]" : "") + '\n';
  }
  EXPECT_EQ(run.out, expected);
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 2) << line;
    EXPECT_TRUE(FindOperation(line.substr(0, line.find('\t')))) << line;
  }
  EXPECT_EQ(Cli({"--version"}).out, std::string("kelvaro-cli ") + KELVARO_VERSION + "\n");
  EXPECT_EQ(Cli({"--help"}).status, kExitSuccess);
}

TEST(CommandLine, RawSkipsTheBoxRuleBothWays) {
  // The window shows "A" for the UTF-16 bytes of ABC read as code page 936; --raw shows the NULs.
  EXPECT_EQ(Cli({"unicode-as-ansi", "ABC"}).out, "A");
  EXPECT_EQ(Cli({"--raw", "unicode-as-ansi", "ABC"}).out, std::string("A\0B\0C\0", 6));
  // Input: the bytes of a Thai letter in GBK are "?" either way, but only the box rule says so.
  const CliRun boxed = Cli({"base64-encode", "ก"});
  EXPECT_EQ(boxed.out, "Pw==");
  EXPECT_NE(boxed.err.find("1 character written as \"?\" (GBK cannot encode it)"),
            std::string::npos);
  const CliRun raw = Cli({"base64-encode", "--raw", "ก"});
  EXPECT_EQ(raw.out, "Pw==");
  EXPECT_EQ(raw.err, "");
  EXPECT_EQ(Cli({"code-list", "ก"}).out, "0E01,");
  EXPECT_EQ(Cli({"code-list", std::string("a\0b", 3)}).out, "0061,");
  EXPECT_EQ(Cli({"code-list", "--raw"}, std::string("a\0b", 3)).out, "0061,0000,0062,");
}

TEST(CommandLine, InputCharsetUtf16ReadsAByteOrderMarkAndBigEndianWithoutOne) {
  EXPECT_EQ(Cli({"code-list", "--input-charset", "utf-16"}, "\xFF\xFE\x2D\x4E").out, "4E2D,");
  EXPECT_EQ(Cli({"code-list", "--input-charset=UTF-16"}, "\xFE\xFF\x4E\x2D").out, "4E2D,");
  EXPECT_EQ(Cli({"code-list", "--input-charset", "utf-16"}, "\x4E\x2D").out, "4E2D,");
  EXPECT_EQ(Cli({"code-list", "--charset", "utf-16"}, "x").status, kExitUsage); // input only
}

TEST(CommandLine, QuietDropsNotesButNeverErrors) {
  const CliRun noted = Cli({"auto", "浣犲ソ"});
  EXPECT_EQ(noted.out, "你好");
  EXPECT_NE(noted.err, "");
  const CliRun quiet = Cli({"auto", "--quiet", "浣犲ソ"});
  EXPECT_EQ(quiet.out, "你好");
  EXPECT_EQ(quiet.err, "");
  EXPECT_EQ(Cli({"base64-encode", "--quiet", "😀"}).err, "");
  const CliRun refused = Cli({"amount", "--quiet", "abc"});
  EXPECT_EQ(refused.status, kExitRefused);
  EXPECT_NE(refused.err, "");
  const CliRun notUtf8 = Cli({"base64-encode", "--quiet"}, "\xD6\xD0");
  EXPECT_EQ(notUtf8.status, kExitRefused);
  EXPECT_NE(notUtf8.err.find("--input-charset"), std::string::npos) << notUtf8.err;
}

TEST(CommandLine, LineBreaksPassThroughUnchanged) {
  EXPECT_EQ(Cli({"base64-encode"}, "a\nb").out, "YQpi");
  EXPECT_EQ(Cli({"base64-encode"}, "a\rb").out, "YQ1i");
  EXPECT_EQ(Cli({"base64-decode"}, "YQpi").out, "a\nb");
}

// The window's boxes hold CR LF; with --crlf a file's LF or CR reads as the window would hold it,
// so a digest matches the window's. Without it the two texts differ by a byte and so does the hash.
TEST(CommandLine, CrlfReadsLineBreaksAsTheWindowDoes) {
  const std::string window = Cli({"md5-32"}, "a\r\nb").out;
  EXPECT_EQ(window, "65d5f03c46e62e3f2babbe712d2ce464");
  EXPECT_EQ(Cli({"md5-32"}, "a\nb").out, "8cdeb44417f3c26826595d5820cf5700");
  for (const std::string_view text : {"a\nb", "a\rb", "a\r\nb"}) {
    SCOPED_TRACE(::testing::PrintToString(text));
    EXPECT_EQ(Cli({"md5-32", "--crlf"}, std::string(text)).out, window);
    EXPECT_EQ(Cli({"md5-32", "--crlf", std::string(text)}).out, window); // the TEXT argument too
  }
  EXPECT_EQ(Cli({"base64-encode", "--crlf"}, "a\n\nb\r").out, "YQ0KDQpiDQo=");
  EXPECT_EQ(Cli({"--crlf", "base64-decode"}, "YQpi").out, "a\nb"); // the result is left alone
}

// Some editors start a UTF-8 file with EF BB BF; it says how the file is encoded and is no
// character of the text, so a file with it hashes as one without it.
TEST(CommandLine, ByteOrderMarkAtTheStartOfStandardInputIsDropped) {
  EXPECT_EQ(Cli({"md5-32"}, "\xEF\xBB\xBF"
                            "abc")
                .out,
            "900150983cd24fb0d6963f7d28e17f72");
  // Later in the text it is a character (ZERO WIDTH NO-BREAK SPACE) and stays.
  EXPECT_EQ(Cli({"utf8-encode", "--raw"}, "\xEF\xBB\xBF"
                                          "a\xEF\xBB\xBF")
                .out,
            "a%EF%BB%BF");
}

// A stream that fails is reported and ends with status 1; nothing half-done counts as success.
// Standard input in another charset: a GBK file, a BIG5 one, UTF-16 with its byte order mark; bytes
// that are no character of the charset are refused with their offset.
TEST(CommandLine, InputCharsetReadsStandardInputInThatCharset) {
  const std::string gbk = "\xD6\xD0\xCE\xC4";
  EXPECT_EQ(Cli({"base64-encode", "--input-charset", "gbk"}, gbk).out, "1tDOxA==");
  EXPECT_EQ(Cli({"escape", "--input-charset", "big5"}, "\xA4\xA4\xA4\xE5").out, "%u4E2D%u6587");
  EXPECT_EQ(Cli({"escape", "--input-charset", "utf-16le"}, std::string("\xFF\xFE\x2D\x4E", 4)).out,
            "%u4E2D");
  EXPECT_EQ(Cli({"escape", "--input-charset", "gbk"}, "\xEF\xBB\xBF\xD6\xD0").out, "%u4E2D");
  const CliRun bad = Cli({"escape", "--input-charset", "gbk"}, "ab\xD6");
  EXPECT_EQ(bad.status, kExitRefused);
  EXPECT_EQ(bad.out, "");
  EXPECT_NE(bad.err.find("not valid gbk (at byte 2)"), std::string::npos) << bad.err;
  EXPECT_EQ(Cli({"escape", "--input-charset", "nope"}).status, kExitUsage);
}

TEST(CommandLine, FailedInputAndOutputExitOneWithAMessage) {
  std::istringstream unreadable("abc");
  unreadable.setstate(std::ios::badbit);
  std::ostringstream out, err;
  EXPECT_EQ(CommandLineMain({"base64-encode"}, unreadable, out, err), kExitRefused);
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(err.str().find("cannot read the input"), std::string::npos) << err.str();

  std::istringstream in;
  std::ostringstream full, fullErr;
  full.setstate(std::ios::badbit);
  EXPECT_EQ(CommandLineMain({"base64-encode", "abc"}, in, full, fullErr), kExitRefused);
  EXPECT_NE(fullErr.str().find("cannot write the result"), std::string::npos) << fullErr.str();
}

// The same through the built program, with a directory as standard input and a full disk as
// standard output, as a shell's "<" and ">" give them.
TEST(CommandLine, TheBuiltProgramReportsADirectoryOnInputAndAFullDisk) {
  const auto directory = testing::RunProcess({KELVARO_CLI_PATH, "md5-32"}, {}, {.stdinPath = "/"});
  EXPECT_EQ(directory.exitStatus, kExitRefused);
  EXPECT_EQ(directory.out, "");
  EXPECT_NE(directory.err.find("cannot read the input"), std::string::npos) << directory.err;
  EXPECT_EQ(std::count(directory.err.begin(), directory.err.end(), '\n'), 1) << directory.err;

  // With a TEXT argument standard input is never read.
  const auto argument =
      testing::RunProcess({KELVARO_CLI_PATH, "md5-32", "abc"}, {}, {.stdinPath = "/"});
  EXPECT_EQ(argument.exitStatus, kExitSuccess) << argument.err;
  EXPECT_EQ(argument.out, "900150983cd24fb0d6963f7d28e17f72");

  if (access("/dev/full", W_OK) != 0)
    GTEST_SKIP() << "no /dev/full";
  for (const std::size_t size : {1u, 100000u}) { // flushed at the end, and written on the way
    SCOPED_TRACE(std::to_string(size) + " characters");
    const auto full = testing::RunProcess({KELVARO_CLI_PATH, "escape"}, std::string(size, 'a'),
                                          {.stdoutPath = "/dev/full"});
    EXPECT_EQ(full.exitStatus, kExitRefused);
    EXPECT_NE(full.err.find("cannot write the result"), std::string::npos) << full.err;
  }
}

// The output is encoded a block of 65 536 units at a time. A block that ended on a lone high
// surrogate was lengthened by the next unit without a look at it, so a surrogate pair right after
// it was cut in two and came out as two U+FFFD instead of its character.
TEST(CommandLine, RawResultKeepsAPairAfterALoneHighSurrogateAtAnOutputBlockEnd) {
  const std::string text = std::string(cli::kOutputBlockUnits - 1, 'a') + "%uD83D%uD83D%uDE00";
  const CliRun run = Cli({"--raw", "unescape"}, text);
  EXPECT_EQ(run.status, kExitSuccess);
  const std::string expected = std::string(cli::kOutputBlockUnits - 1, 'a') +
                               "\xEF\xBF\xBD"      // the lone high surrogate
                               "\xF0\x9F\x98\x80"; // the pair
  EXPECT_EQ(run.out.substr(cli::kOutputBlockUnits - 1),
            expected.substr(cli::kOutputBlockUnits - 1));
}

// Standard input is decoded a block of a mebibyte at a time; sequences cut by a block's end must
// come out whole, and an error must name its offset in the whole input.
TEST(CommandLine, LargeInputIsDecodedAcrossBlockBoundaries) {
  std::string utf8;
  while (utf8.size() < (3u << 20))
    utf8 += "a\xE4\xB8\xAD\xE2\x82\xAC\xF0\x9F\x98\x80";
  const std::u16string text = Utf8ToUtf16(utf8).value();
  const std::string expected = Utf16ToUtf8(vbs_escape(text));
  EXPECT_EQ(Cli({"escape", "--raw"}, utf8).out, expected); // a seekable stream
  const auto piped = testing::RunProcess({KELVARO_CLI_PATH, "escape", "--raw"}, utf8);
  EXPECT_EQ(piped.exitStatus, 0);
  EXPECT_EQ(piped.out, expected);

  const std::string bad = utf8 + "\xE4\xB8" + "x";
  const auto refused = testing::RunProcess({KELVARO_CLI_PATH, "escape"}, bad);
  EXPECT_EQ(refused.exitStatus, kExitRefused);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find("(at byte " + std::to_string(utf8.size()) + ")"), std::string::npos)
      << refused.err;
}

TEST(CommandLine, TheBuiltProgramHonoursTheContract) {
  const auto run = testing::RunProcess({KELVARO_CLI_PATH, "base64-encode"}, "中");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, "1tA=");
  EXPECT_EQ(testing::RunProcess({KELVARO_CLI_PATH, "--bogus"}).exitStatus, kExitUsage);
}

} // namespace
} // namespace kelvaro
