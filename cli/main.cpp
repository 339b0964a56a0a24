#include "cli/command_line.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  // At a terminal the result ends its line, so that the prompt does not run into it; in a pipe or
  // a file it stays byte for byte what the conversion gave.
  const bool outIsTerminal = isatty(STDOUT_FILENO) == 1;
  return kelvaro::CommandLineMain(args, std::cin, std::cout, std::cerr, nullptr, outIsTerminal);
}
