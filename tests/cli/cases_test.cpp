// Runs the built kelvaro-cli over the case files in tests/cases, one file per unit. Each line:
//   operation <TAB> options <TAB> input <TAB> expected stdout <TAB> exit status [<TAB> stderr part]
// Fields take the escapes \r \n \t \\ \0 \uXXXX. Options are words such as --upper and --raw; the
// word "arg" passes the input as the TEXT argument instead of on standard input. Lines starting
// with "#" are comments.

#include "support/process.h"
#include "support/text.h"
#include "text/utf.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace kelvaro::testing {
namespace {

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;)
    words.push_back(w);
  return words;
}

std::vector<std::filesystem::path> CaseFiles() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(KELVARO_CASES_DIR)) {
    if (entry.path().extension() == ".tsv")
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class CliCases : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(CliCases, EveryCaseHolds) {
  std::ifstream file(GetParam());
  ASSERT_TRUE(file) << GetParam();
  int lineNumber = 0, cases = 0;
  for (std::string line; std::getline(file, line);) {
    ++lineNumber;
    if (line.empty() || line.front() == '#')
      continue;
    const std::vector<std::string> f = SplitTabs(line);
    ASSERT_GE(f.size(), 5u) << GetParam().filename() << ":" << lineNumber << " needs five fields";
    SCOPED_TRACE(GetParam().filename().string() + ":" + std::to_string(lineNumber) + ": " + line);
    std::vector<std::string> argv = {KELVARO_CLI_PATH, f[0]};
    bool asArgument = false;
    for (const std::string& word : Words(f[1])) {
      if (word == "arg")
        asArgument = true;
      else
        argv.push_back(word);
    }
    const std::string input = Utf16ToUtf8(Unescape(f[2]));
    if (asArgument)
      argv.push_back(input);
    const ProcessResult run = RunProcess(argv, asArgument ? std::string() : input);
    EXPECT_EQ(run.out, Utf16ToUtf8(Unescape(f[3])));
    EXPECT_EQ(run.exitStatus, std::stoi(f[4])) << run.err;
    if (f.size() > 5 && !f[5].empty()) {
      EXPECT_NE(run.err.find(f[5]), std::string::npos) << run.err;
    }
    ++cases;
  }
  EXPECT_GT(cases, 0) << "no cases in " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Files, CliCases, ::testing::ValuesIn(CaseFiles()),
                         [](const auto& info) { return info.param.stem().string(); });

} // namespace
} // namespace kelvaro::testing
