// The walls between the folders, as a table of the folders each may include from: text at the
// bottom; codec and net on it, beside each other; the registry on those; the window and the command
// line on the registry, beside each other. The tests, benchmarks and fuzzers may use any layer;
// tools/ stands apart. An include across a wall, or Qt outside the window, fails here.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>
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

struct Wall {
  std::string_view folder;
  std::vector<std::string_view> mayInclude; ///< project folders whose headers it may include
  bool qt = false;                          ///< whether it may include Qt
};

const std::vector<std::string_view> kAnyLayer = {"text",     "resources", "codec", "net",
                                                 "registry", "app",       "cli",   "tests",
                                                 "support",  "bench",     "fuzz"};

const Wall kWalls[] = {
    {"text", {"text"}},
    {"resources", {}},
    {"codec", {"codec", "text", "resources"}},
    {"net", {"net", "text"}},
    {"registry", {"registry", "codec", "net", "text"}},
    {"app", {"app", "registry", "text"}, true},
    {"cli", {"cli", "registry", "text"}},
    {"tests", kAnyLayer, true},
    {"bench", kAnyLayer, true},
    {"fuzz", kAnyLayer},
    {"tools", {}},
};

const std::vector<std::string_view> kProjectFolders = {
    "text", "resources", "codec", "net", "registry", "app", "cli", "tests", "support", "bench",
    "fuzz", "tools"};

/// Why an include of `target` from a file under `folder` crosses a wall, or nothing.
std::optional<std::string> Crossing(const Wall& wall, std::string_view target) {
  const std::string_view first = target.substr(0, target.find('/'));
  const bool qt = target.starts_with("Q") || target.starts_with("qt");
  if (qt && !wall.qt)
    return "Qt outside the window";
  if (first.size() == target.size() ||
      std::find(kProjectFolders.begin(), kProjectFolders.end(), first) == kProjectFolders.end())
    return std::nullopt; // a system header, or one beside the file
  if (std::find(wall.mayInclude.begin(), wall.mayInclude.end(), first) == wall.mayInclude.end())
    return std::string(wall.folder) + " may not include " + std::string(first);
  return std::nullopt;
}

const Wall& WallOf(std::string_view folder) {
  for (const Wall& wall : kWalls) {
    if (wall.folder == folder)
      return wall;
  }
  throw std::logic_error("no wall for " + std::string(folder));
}

TEST(Layering, EveryIncludeStaysWithinItsFoldersWalls) {
  const fs::path root = KELVARO_SOURCE_DIR;
  std::size_t read = 0;
  for (const Wall& wall : kWalls) {
    if (!fs::exists(root / wall.folder))
      continue;
    for (const Include& include : IncludesUnder(root / wall.folder)) {
      ++read;
      const std::optional<std::string> crossing = Crossing(wall, include.target);
      EXPECT_FALSE(crossing) << include.file.lexically_relative(root).string() << ":"
                             << include.line << " includes " << include.target << ": "
                             << crossing.value_or("");
    }
  }
  EXPECT_GT(read, 300u); // the walk found the tree
}

// The table is what stands between the layers: planted includes across each wall are caught.
TEST(Layering, PlantedIncludesAcrossTheWallsAreCaught) {
  const struct {
    std::string_view folder, target;
  } planted[] = {
      {"cli", "app/form1.h"},          {"app", "cli/command_line.h"}, {"codec", "net/resolver.h"},
      {"text", "codec/utf8/mojibake.h"}, {"net", "registry/operations.h"},
      {"registry", "app/controls.h"},  {"codec", "QString"},          {"tools", "text/utf.h"},
  };
  for (const auto& p : planted)
    EXPECT_TRUE(Crossing(WallOf(p.folder), p.target)) << p.folder << " -> " << p.target;
  EXPECT_FALSE(Crossing(WallOf("app"), "registry/operations.h"));
  EXPECT_FALSE(Crossing(WallOf("registry"), "net/host_lookup.h"));
  EXPECT_FALSE(Crossing(WallOf("cli"), "CLI/CLI.hpp"));
}

} // namespace
} // namespace kelvaro
