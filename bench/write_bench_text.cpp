// kelvaro-bench-text FILE [BYTES]: writes the benchmarks' generated text as UTF-8 (8 MiB unless
// told), so that whole-process comparisons with other tools run on the same text.
// kelvaro-bench-text --inverses: each operation and the encoder whose output it reads back, so
// that scripts feed a decoder what it decodes.

#include "bench_text.h"
#include "registry/operations.h"
#include "text/utf.h"

#include <cstdlib>
#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
  if (argc == 2 && std::string_view(argv[1]) == "--inverses") {
    for (const kelvaro::Operation& operation : kelvaro::Operations())
      std::cout << operation.cliName << '\t' << operation.inverseOf << '\n';
    return 0;
  }
  if (argc < 2) {
    std::cerr << "usage: kelvaro-bench-text FILE [BYTES]\n";
    return 2;
  }
  const std::size_t bytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : std::size_t{8} << 20;
  const std::string utf8 = kelvaro::Utf16ToUtf8(kelvaro::GenerateBenchText(bytes));
  std::ofstream out(argv[1], std::ios::binary);
  out.write(utf8.data(), static_cast<std::streamsize>(utf8.size()));
  return out ? 0 : 1;
}
