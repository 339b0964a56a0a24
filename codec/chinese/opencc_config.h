#pragma once
// OpenCC's conversion configurations (the JSON files of resources/opencc/config) and its text
// dictionaries, as the data built into the program holds them. The simplified-traditional
// converter runs what a configuration describes; this part only reads it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro::opencc {

/// How a group of dictionaries matches at a position. ShortCircuit: the first member that has
/// a key starting there gives its longest key, even when a later member has a longer one.
/// Union: the longest key of any member, the earlier member's on equal length.
enum class MatchPolicy { ShortCircuit, Union };

/// One dictionary (`file`, named without its ".ocd2"/".txt" ending) or a group of them.
struct DictionaryNode {
  std::string file;           ///< empty for a group
  bool mayOutputTofu = false; ///< its forms may lack a glyph in common fonts: left out by default
  MatchPolicy policy = MatchPolicy::ShortCircuit;
  std::vector<DictionaryNode> members;
};

/// A configuration: the text is normalised by each normalisation dictionary in turn, cut into
/// segments by the segmentation dictionary (without one the whole text is one segment), and each
/// segment is converted by every dictionary of the chain in turn.
struct ConfigurationData {
  std::string name;
  std::vector<DictionaryNode> normalization;
  std::optional<DictionaryNode> segmentation;
  std::vector<DictionaryNode> chain;
};

/// Reads a configuration's JSON text. The configurations are ours, built in: anything this reader
/// does not know (another segmentation type, a malformed file) is a fault and throws
/// std::runtime_error.
[[nodiscard]] ConfigurationData ParseConfiguration(std::string_view json);

/// The built-in configuration `name` ("s2t.json"); nullopt when there is none of that name.
[[nodiscard]] std::optional<std::string_view> ConfigurationText(std::string_view name);

/// The built-in text of dictionary `name` ("STPhrases"): lines of a key, a tab and its
/// candidates separated by blanks, the first the default; "#" lines are notes. nullopt when
/// there is none of that name.
[[nodiscard]] std::optional<std::string_view> DictionaryText(std::string_view name);

/// The configurations built in, by file name.
[[nodiscard]] std::vector<std::string_view> ConfigurationNames();

} // namespace kelvaro::opencc
