// The core is the conversions and what they build on; the registry, the window and the command
// line are above it. An include that points upwards, or Qt inside the core, fails here.

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

struct Include {
  fs::path file;
  int line;
  std::string target;
};

std::vector<Include> IncludesUnder(const fs::path& folder) {
  std::vector<Include> includes;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string extension = entry.path().extension().string();
    if (!entry.is_regular_file() ||
        (extension != ".h" && extension != ".cpp" && extension != ".inc"))
      continue;
    std::ifstream in(entry.path());
    int number = 0;
    for (std::string line; std::getline(in, line);) {
      ++number;
      const std::size_t hash = line.find_first_not_of(" \t");
      if (hash == std::string::npos || line.compare(hash, 8, "#include") != 0)
        continue;
      const std::size_t open = line.find_first_of("\"<", hash + 8);
      const std::size_t close = line.find_first_of("\">", open + 1);
      if (open != std::string::npos && close != std::string::npos)
        includes.push_back({entry.path(), number, line.substr(open + 1, close - open - 1)});
    }
  }
  return includes;
}

TEST(Layering, TheCoreIncludesNothingAboveItAndNoQt) {
  const fs::path root = KELVARO_SOURCE_DIR;
  std::size_t read = 0;
  for (const char* folder : {"text", "codec", "net"}) {
    for (const Include& include : IncludesUnder(root / folder)) {
      ++read;
      const std::string& target = include.target;
      const bool upwards = target.starts_with("registry/") || target.starts_with("app/") ||
                           target.starts_with("cli/");
      const bool qt = target.starts_with("Q") || target.starts_with("qt");
      EXPECT_FALSE(upwards || qt) << include.file.lexically_relative(root).string() << ":"
                                  << include.line << " includes " << target;
    }
  }
  EXPECT_GT(read, 50u); // the walk found the core
}

} // namespace
} // namespace kelvaro
