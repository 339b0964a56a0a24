#include "cli/command_line.h"

#include <iostream>

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return kelvaro::CommandLineMain(args, std::cin, std::cout, std::cerr);
}
