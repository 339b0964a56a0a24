#include "cli/command_line.h"

#include <iostream>
#include <malloc.h>

int main(int argc, char** argv) {
  // A conversion holds a few buffers of the text's size at once. Keeping freed ones in the heap
  // (instead of returning each to the kernel) lets the next buffer reuse pages already faulted in.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  mallopt(M_TOP_PAD, 16 << 20);
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return kelvaro::CommandLineMain(args, std::cin, std::cout, std::cerr);
}
