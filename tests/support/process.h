#pragma once
// Runs a program as a test would from a shell: given stdin, captured stdout, stderr and status.

#include <string>
#include <vector>

namespace kelvaro::testing {

struct ProcessResult {
  int exitStatus = -1; ///< the exit code, or 128 + signal when the program was killed
  std::string out;
  std::string err;
};

/// Runs argv[0] (a path) with the given arguments and standard input; waits for it to end.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input = {});

} // namespace kelvaro::testing
