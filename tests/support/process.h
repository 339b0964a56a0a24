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

/// Files to put in place of the pipes, as a shell's "<" and ">" would; empty keeps the pipe.
struct Redirection {
  std::string stdinPath = {};  ///< opened for reading: "/" gives a directory on standard input
  std::string stdoutPath = {}; ///< opened for writing: "/dev/full" gives a full disk
};

/// Runs argv[0] (a path) with the given arguments and standard input; waits for it to end.
/// With a redirected standard input, `input` is not used; with a redirected standard output,
/// `out` stays empty.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input = {},
                         const Redirection& redirection = {});

} // namespace kelvaro::testing
