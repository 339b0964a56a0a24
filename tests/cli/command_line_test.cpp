#include "cli/command_line.h"
#include "codec/escape/percent_u.h"
#include "support/process.h"
#include "text/utf.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

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
           {}, {"no-such-operation"}, {"base64-encode", "--bogus"}, {"base64-encode", "a", "b"}}) {
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

TEST(CommandLine, ListNamesEveryOperationOnce) {
  const CliRun run = Cli({"--list"});
  EXPECT_EQ(run.status, kExitSuccess);
  std::istringstream lines(run.out);
  std::size_t count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    const std::string name = line.substr(0, line.find('\t'));
    ASSERT_NE(FindOperation(name), nullptr) << line;
    EXPECT_EQ(name, Operations()[count].cliName);
  }
  EXPECT_EQ(count, 24u);
  EXPECT_EQ(Cli({"--version"}).out, std::string("kelvaro-cli ") + KELVARO_VERSION + "\n");
  EXPECT_EQ(Cli({"--help"}).status, kExitSuccess);
}

TEST(CommandLine, RawSkipsTheBoxRuleBothWays) {
  // The window shows "A" for the UTF-16 bytes of ABC read as code page 936; --raw shows the NULs.
  EXPECT_EQ(Cli({"unicode-as-ansi", "ABC"}).out, "A");
  EXPECT_EQ(Cli({"--raw", "unicode-as-ansi", "ABC"}).out, std::string("A\0B\0C\0", 6));
  // Input: the box would hold "?" for a Thai letter; --raw hands the letter itself over.
  EXPECT_EQ(Cli({"base64-encode", "ก"}).out, "Pw==");
  EXPECT_EQ(Cli({"base64-encode", "--raw", "ก"}).out, "Pw==");
  EXPECT_EQ(Cli({"code-list", "ก"}).out, "003F,");
  EXPECT_EQ(Cli({"code-list", std::string("a\0b", 3)}).out, "0061,");
  EXPECT_EQ(Cli({"code-list", "--raw"}, std::string("a\0b", 3)).out, "0061,0000,0062,");
}

TEST(CommandLine, LineBreaksPassThroughUnchanged) {
  EXPECT_EQ(Cli({"hex-encode"}, "a\nb").out, "O61OO62O");
  EXPECT_EQ(Cli({"base64-decode"}, "YQpi").out, "a\nb");
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
