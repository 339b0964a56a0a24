// kelvaro-cli at a terminal: the result ends its line there and stays byte-exact in a pipe; and
// the bash completion, run in a real bash against the built program.

#include "cli/command_line.h"
#include "support/process.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvaro {
namespace {

struct NewlineCase {
  std::vector<std::string> args;
  bool terminal;
  std::string out;
};

TEST(TerminalNewline, OnlyATerminalGetsAFinalLineBreak) {
  const NewlineCase cases[] = {
      {{"base64-encode", "x"}, false, "eA=="},
      {{"base64-encode", "x"}, true, "eA==\n"},
      {{"escape", "a\n"}, true, "a%0A\n"},
      {{"--crlf", "utf8-decode", "a\n"}, true, "a\r\n"}, // ends its line already
      {{"escape", ""}, true, ""},                        // nothing to end
      {{"amount", "x"}, true, ""},                       // refused: nothing written
  };
  for (const NewlineCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args) + (c.terminal ? " terminal" : " pipe"));
    std::istringstream in;
    std::ostringstream out, err;
    CommandLineMain(c.args, in, out, err, nullptr, c.terminal);
    EXPECT_EQ(out.str(), c.out);
  }
}

// The real program decides by its standard output: a pseudo-terminal gets the line break, a pipe
// does not.
TEST(TerminalNewline, TheProgramAsksWhetherItsOutputIsATerminal) {
  int master = -1;
  const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    execl(KELVARO_CLI_PATH, KELVARO_CLI_PATH, "base64-encode", "x", static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string seen;
  char buffer[256];
  for (;;) {
    pollfd ready{master, POLLIN, 0};
    if (poll(&ready, 1, 10000) <= 0)
      break;
    const ssize_t got = read(master, buffer, sizeof buffer);
    if (got <= 0)
      break;
    seen.append(buffer, static_cast<std::size_t>(got));
  }
  close(master);
  int status = 0;
  waitpid(child, &status, 0);
  // The terminal shows the line break as CR LF.
  EXPECT_EQ(seen, "eA==\r\n");
  EXPECT_EQ(testing::RunProcess({KELVARO_CLI_PATH, "base64-encode", "x"}).out, "eA==");
}

// ---- bash completion ----------------------------------------------------------------------------

const std::filesystem::path kCompletion =
    std::filesystem::path(KELVARO_CASES_DIR) / "../../packaging/completion/kelvaro-cli.bash";

// What the completion offers for the words of a command line whose last word is being completed,
// in a folder holding the files "notes.txt" and "nouns.txt".
std::vector<std::string> Complete(const std::vector<std::string>& words) {
  static const std::filesystem::path folder = [] {
    const std::filesystem::path made =
        std::filesystem::temp_directory_path() / ("kelvaro-completion-" + std::to_string(getpid()));
    std::filesystem::create_directories(made);
    std::ofstream(made / "notes.txt") << "x";
    std::ofstream(made / "nouns.txt") << "x";
    return made;
  }();
  std::string script = "cd '" + folder.string() + "' && PATH='" +
                       std::filesystem::path(KELVARO_CLI_PATH).parent_path().string() +
                       ":'\"$PATH\" && source '" + kCompletion.string() + "' && COMP_WORDS=(";
  for (const std::string& word : words)
    script += " '" + word + "'";
  script += " ) && COMP_CWORD=" + std::to_string(words.size() - 1) +
            " && _kelvaro_cli && printf '%s\\n' \"${COMPREPLY[@]}\"";
  const testing::ProcessResult run = testing::RunProcess({"/bin/bash", "-c", script});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  std::vector<std::string> offered;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty())
      offered.push_back(line);
  }
  std::sort(offered.begin(), offered.end());
  return offered;
}

TEST(Completion, OffersFileNamesAfterARedirection) {
  const std::vector<std::string> files = {"notes.txt", "nouns.txt"};
  EXPECT_EQ(Complete({"kelvaro-cli", "base64-encode", "<", "no"}), files);
  EXPECT_EQ(Complete({"kelvaro-cli", "<", "no"}), files);
  EXPECT_EQ(Complete({"kelvaro-cli", "md5-32", ">", "not"}), std::vector<std::string>{"notes.txt"});
  EXPECT_EQ(Complete({"kelvaro-cli", "escape", "2", ">", "nou"}),
            std::vector<std::string>{"nouns.txt"});
}

TEST(Completion, OffersOperationsOptionsAndCharsetsWhereTheyFit) {
  EXPECT_EQ(Complete({"kelvaro-cli", "base64-e"}), std::vector<std::string>{"base64-encode"});
  EXPECT_EQ(Complete({"kelvaro-cli", "--chars"}),
            std::vector<std::string>({"--charset", "--charsets"}));
  EXPECT_EQ(Complete({"kelvaro-cli", "--charset", "utf-1"}),
            std::vector<std::string>({"utf-16be", "utf-16le"}));
  EXPECT_EQ(Complete({"kelvaro-cli", "--input-charset", "gb"}),
            std::vector<std::string>({"gb18030", "gbk"}));
  EXPECT_EQ(Complete({"kelvaro-cli", "--charset", "mac"}),
            std::vector<std::string>({"mac-roman", "macintosh"}));
  EXPECT_EQ(Complete({"kelvaro-cli", "--charset", "windows-125"}),
            std::vector<std::string>({"windows-1250", "windows-1251", "windows-1252",
                                      "windows-1253", "windows-1254", "windows-1257"}));
  // After the operation comes the text, which gets nothing; a redirection before it counts not.
  EXPECT_TRUE(Complete({"kelvaro-cli", "escape", "no"}).empty());
  EXPECT_TRUE(Complete({"kelvaro-cli", "<", "notes.txt", "escape", "no"}).empty());
  EXPECT_EQ(Complete({"kelvaro-cli", "<", "notes.txt", "md5-1"}),
            std::vector<std::string>{"md5-16"});
  EXPECT_EQ(Complete({"kelvaro-cli", "--charset", "utf-8", "md5-3"}),
            std::vector<std::string>{"md5-32"});
}

} // namespace
} // namespace kelvaro
