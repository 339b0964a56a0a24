#include "codec/chinese/simplified_traditional.h"

#include "codec/chinese/opencc_config.h"
#include "text/codepage.h"
#include "text/utf.h"

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace kelvaro {
namespace {

std::size_t Cp936Length(std::u16string_view text) {
  std::size_t length = 0;
  for (const char16_t unit : text)
    length += AnsiCodeOfUnit(unit) < 0x100 ? 1 : 2;
  return length;
}

bool AllInCodePage936(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(), [](char16_t unit) { return IsInCodePage(unit); });
}

/// Calls `take(key, first candidate)` for each entry of a dictionary in OpenCC's text form, in
/// the file's order: a key, a tab and the candidates separated by blanks; "#" lines are notes.
template <typename Take> void ForEachEntry(std::string_view text, Take take) {
  while (!text.empty()) {
    const std::size_t end = std::min(text.size(), text.find('\n'));
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(text.size(), end + 1));
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    const std::size_t tab = line.find('\t');
    if (line.empty() || line.front() == '#' || tab == std::string_view::npos)
      continue;
    const std::string_view candidates = line.substr(tab + 1);
    take(line.substr(0, tab), candidates.substr(0, candidates.find(' ')));
  }
}

// One of OpenCC's dictionaries as UTF-16 tables: its one-unit keys in an array indexed by the unit,
// its longer keys and every beginning of them in an open-addressing hash table over one buffer,
// and a bit per hashed pair of first units, so that a position no key starts at costs a bit test.
class Dictionary {
public:
  struct Value {
    std::u16string_view text;
    bool keepsLength = false; // code page 936 holds the text, in the key's byte length
  };

  /// The entries of `texts` (OpenCC's text form: key, tab, candidates), the first entry of a key
  /// in the first text that has it winning: a union of dictionaries merged into one, since the
  /// longest key of the merge is the longest key of any member.
  explicit Dictionary(const std::vector<std::string_view>& texts) {
    struct Item {
      std::uint32_t keyStart, keyLength, textStart, textLength;
    };
    std::vector<Item> items;
    std::size_t bytes = 0;
    for (const std::string_view text : texts)
      bytes += text.size();
    m_buffer.reserve(bytes);      // UTF-16 takes no more units than UTF-8 takes bytes
    std::size_t tableEntries = 0; // keys and their beginnings, at most
    for (const std::string_view text : texts) {
      ForEachEntry(text, [&](std::string_view key, std::string_view value) {
        Item item{};
        item.keyStart = static_cast<std::uint32_t>(m_buffer.size());
        AppendUtf8(key);
        item.keyLength = static_cast<std::uint32_t>(m_buffer.size() - item.keyStart);
        item.textStart = static_cast<std::uint32_t>(m_buffer.size());
        AppendUtf8(value);
        item.textLength = static_cast<std::uint32_t>(m_buffer.size() - item.textStart);
        if (item.keyLength == 0 || item.keyLength > 255) // no key of OpenCC's is that long
          return;
        if (item.keyLength > 1)
          tableEntries += item.keyLength - 1;
        items.push_back(item);
      });
    }
    // Views into the buffer are taken once it no longer grows.
    std::size_t slots = 16; // at most half full
    while (slots < 2 * tableEntries)
      slots *= 2;
    m_slots.resize(slots);
    m_values.reserve(items.size());
    for (const Item& item : items) {
      const std::u16string_view key(m_buffer.data() + item.keyStart, item.keyLength);
      const std::u16string_view text(m_buffer.data() + item.textStart, item.textLength);
      const auto value = static_cast<std::uint32_t>(m_values.size());
      m_values.push_back({text, AllInCodePage936(text) && Cp936Length(text) == Cp936Length(key)});
      if (key.size() == 1) {
        if (m_single.empty())
          m_single.assign(0x10000, 0);
        if (m_single[key[0]] == 0)
          m_single[key[0]] = value + 1; // the first entry of a key wins
        continue;
      }
      m_onlyCharacters &= key.size() == 2 && IsHighSurrogate(key[0]) && IsLowSurrogate(key[1]);
      if (m_longestFrom.empty()) {
        m_longestFrom.assign(0x10000, 0);
        m_pairs.assign(kPairBits / 64, 0);
      }
      std::uint64_t hash = kHashSeed;
      for (std::size_t n = 1; n <= key.size(); ++n) {
        hash = HashStep(hash, key[n - 1]);
        if (n >= 2)
          Insert(item.keyStart, n, Finish(hash), n == key.size(), value);
      }
      const std::uint32_t pair = PairBit(key[0], key[1]);
      m_pairs[pair / 64] |= std::uint64_t{1} << (pair % 64);
      auto& longest = m_longestFrom[key[0]];
      longest = static_cast<std::uint8_t>(
          std::min<std::size_t>(255, std::max<std::size_t>(longest, key.size())));
    }
  }

  /// The length in units of the longest key at `text[i]`, and its value; 0 when none.
  std::size_t Match(std::u16string_view text, std::size_t i, const Value** value) const {
    const char16_t first = text[i];
    if (!m_longestFrom.empty() && i + 1 < text.size()) {
      const std::uint32_t pair = PairBit(first, text[i + 1]);
      const std::size_t longest = std::min<std::size_t>(m_longestFrom[first], text.size() - i);
      if (longest >= 2 && (m_pairs[pair / 64] >> (pair % 64) & 1) != 0) {
        std::size_t best = 0;
        std::uint64_t hash = HashStep(kHashSeed, first);
        for (std::size_t n = 2; n <= longest; ++n) {
          hash = HashStep(hash, text[i + n - 1]);
          const Slot* slot = Find(text.data() + i, n, Finish(hash));
          if (slot == nullptr)
            break; // no key goes on from here
          if (slot->isKey) {
            best = n;
            *value = &m_values[slot->value];
          }
        }
        if (best != 0)
          return best;
      }
    }
    if (!m_single.empty() && m_single[first] != 0) {
      *value = &m_values[m_single[first] - 1];
      return 1;
    }
    return 0;
  }

  /// Whether every key is one character.
  bool OnlyCharacters() const { return m_onlyCharacters; }

  /// Whether some key starts with `unit`.
  bool Starts(char16_t unit) const {
    return (!m_single.empty() && m_single[unit] != 0) ||
           (!m_longestFrom.empty() && m_longestFrom[unit] != 0);
  }

private:
  static constexpr std::uint32_t kPairBits = 1u << 20;
  static constexpr std::uint64_t kHashSeed = 0x9E3779B97F4A7C15ull;

  struct Slot {
    std::uint32_t keyStart = 0;
    std::uint32_t value = 0;
    std::uint16_t keyLength = 0; // 0: an empty slot
    bool isKey = false;          // false: only the beginning of longer keys
  };

  static std::uint64_t HashStep(std::uint64_t hash, char16_t unit) {
    return (hash + unit) * 0xFF51AFD7ED558CCDull;
  }
  static std::uint64_t Finish(std::uint64_t hash) { return hash ^ (hash >> 29); }
  static std::uint32_t PairBit(char16_t first, char16_t second) {
    return ((first * 0x9E3779B1u) ^ (second * 0x85EBCA77u)) >> 12;
  }

  void AppendUtf8(std::string_view bytes) {
    if (!AppendUtf8AsUtf16(m_buffer, bytes))
      m_buffer += Utf8ToUtf16Lenient(bytes);
  }

  const Slot* Find(const char16_t* key, std::size_t length, std::uint64_t hash) const {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
      const Slot& slot = m_slots[s];
      if (slot.keyLength == 0)
        return nullptr;
      if (slot.keyLength == length &&
          std::char_traits<char16_t>::compare(m_buffer.data() + slot.keyStart, key, length) == 0)
        return &slot;
    }
  }

  void Insert(std::uint32_t keyStart, std::size_t length, std::uint64_t hash, bool isKey,
              std::uint32_t value) {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
      Slot& slot = m_slots[s];
      if (slot.keyLength == 0) {
        slot = {keyStart, value, static_cast<std::uint16_t>(length), isKey};
        return;
      }
      if (slot.keyLength == length &&
          std::char_traits<char16_t>::compare(m_buffer.data() + slot.keyStart,
                                              m_buffer.data() + keyStart, length) == 0) {
        if (isKey && !slot.isKey) {
          slot.isKey = true; // the first entry of a key wins
          slot.value = value;
        }
        return;
      }
    }
  }

  std::u16string m_buffer; // every key and value, one after the other
  std::vector<Value> m_values;
  std::vector<Slot> m_slots;
  std::vector<std::uint32_t> m_single;     // value + 1 of the one-unit keys; empty when none
  std::vector<std::uint8_t> m_longestFrom; // longest key starting with a unit; empty when none
  std::vector<std::uint64_t> m_pairs;      // the hashed first two units of the longer keys
  bool m_onlyCharacters = true;
};

// The dictionaries of one step of a configuration, matched as OpenCC matches a short-circuit
// group: at each position the first of them that has a key starting there gives its longest.
// A union inside the group is one merged dictionary; a lone dictionary is a group of one.
class DictionaryGroup {
public:
  explicit DictionaryGroup(std::vector<std::shared_ptr<const Dictionary>> members)
      : m_members(std::move(members)) {
    MarkStarts();
  }

  std::size_t Match(std::u16string_view text, std::size_t i,
                    const Dictionary::Value** value) const {
    if (!m_starts[text[i]])
      return 0;
    for (const auto& member : m_members) {
      if (const std::size_t length = member->Match(text, i, value); length != 0)
        return length;
    }
    return 0;
  }

  /// Whether some key of the group starts with a unit of `text`.
  bool Touches(std::u16string_view text) const {
    return std::any_of(text.begin(), text.end(), [&](char16_t unit) { return m_starts[unit]; });
  }

  /// Converts `text` onto the end of `out`: each match replaced by its value, anything else
  /// copied. With keepCodePage936Length, a replacement is taken only where it keeps the code page
  /// 936 byte length, and a phrase that would not is converted character by character instead.
  void Convert(std::u16string_view text, std::u16string& out, bool keepCodePage936Length) const {
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
      if (!m_starts[text[i]]) {
        // Most characters start no key (in later stages nearly all): copied as a run.
        std::size_t end = i + 1;
        while (end < n && !m_starts[text[end]])
          ++end;
        out.append(text.data() + i, end - i);
        i = end;
        continue;
      }
      const Dictionary::Value* value = nullptr;
      const std::size_t length = Match(text, i, &value);
      if (length == 0) {
        out.push_back(text[i]);
        ++i;
      } else if (!keepCodePage936Length || value->keepsLength) {
        out += value->text;
        i += length;
      } else {
        for (std::size_t k = i; k < i + length; ++k) {
          const Dictionary::Value* single = nullptr;
          if (Match(text.substr(k, 1), 0, &single) == 1 && single->keepsLength)
            out += single->text;
          else
            out.push_back(text[k]);
        }
        i += length;
      }
    }
  }

  /// The first dictionary; null in a group whose every member was left out.
  const Dictionary* First() const { return m_members.empty() ? nullptr : m_members.front().get(); }

  /// Whether every dictionary after the first holds single characters only.
  bool OnlyCharactersAfterTheFirst() const {
    return std::all_of(m_members.begin() + (m_members.empty() ? 0 : 1), m_members.end(),
                       [](const auto& member) { return member->OnlyCharacters(); });
  }

  /// The group without its first dictionary.
  DictionaryGroup WithoutTheFirst() const {
    return DictionaryGroup({m_members.begin() + (m_members.empty() ? 0 : 1), m_members.end()});
  }

private:
  void MarkStarts() {
    m_starts.assign(0x10000, 0);
    for (const auto& member : m_members) {
      for (std::size_t unit = 0; unit < 0x10000; ++unit)
        m_starts[unit] |= member->Starts(static_cast<char16_t>(unit)) ? 1 : 0;
    }
  }

  std::vector<std::shared_ptr<const Dictionary>> m_members;
  std::vector<std::uint8_t> m_starts; // whether a key of some member starts with the unit
};

// The dictionaries of every configuration read so far, by the names they merge, so that a
// dictionary two configurations (or a segmentation and a step) name is built once and is the
// same object in both.
using Dictionaries = std::map<std::string, std::shared_ptr<const Dictionary>>;

// The files of a union, in order; the dictionaries that may output tofu are left out, as the
// `opencc` command leaves them out unless asked.
void UnionFiles(const opencc::DictionaryNode& node, std::vector<std::string>& files) {
  if (node.members.empty()) {
    if (!node.mayOutputTofu)
      files.push_back(node.file);
    return;
  }
  if (node.policy != opencc::MatchPolicy::Union && node.members.size() > 1)
    throw std::runtime_error("OpenCC configuration: a short-circuit group inside a union");
  for (const opencc::DictionaryNode& member : node.members)
    UnionFiles(member, files);
}

std::shared_ptr<const Dictionary> MergedDictionary(const std::vector<std::string>& files,
                                                   Dictionaries& built) {
  std::string name;
  std::vector<std::string_view> texts;
  for (const std::string& file : files) {
    name += file + "+";
    const auto text = opencc::DictionaryText(file);
    if (!text)
      throw std::runtime_error("OpenCC configuration names a dictionary not built in: " + file);
    texts.push_back(*text);
  }
  auto& slot = built[name];
  if (!slot)
    slot = std::make_shared<const Dictionary>(texts);
  return slot;
}

void GroupMembers(const opencc::DictionaryNode& node, Dictionaries& built,
                  std::vector<std::shared_ptr<const Dictionary>>& members) {
  if (!node.members.empty() && node.policy == opencc::MatchPolicy::ShortCircuit) {
    for (const opencc::DictionaryNode& member : node.members)
      GroupMembers(member, built, members);
    return;
  }
  std::vector<std::string> files;
  UnionFiles(node, files);
  if (!files.empty())
    members.push_back(MergedDictionary(files, built));
}

std::unique_ptr<const DictionaryGroup> MakeGroup(const opencc::DictionaryNode& node,
                                                 Dictionaries& built) {
  std::vector<std::shared_ptr<const Dictionary>> members;
  GroupMembers(node, built, members);
  return std::make_unique<const DictionaryGroup>(std::move(members));
}

// One OpenCC configuration: its normalisation, segmentation and chain of conversions, as the
// `opencc` command runs them. The normalisation converts the whole text first; the text is then
// cut into segments (each longest key of the segmentation dictionary is one, and each run between
// them another; without a segmentation the whole text is one); every step of the chain then
// converts each segment of the previous step's output by itself, so that no match crosses a
// segment's end.
class ConfigurationConverter {
public:
  ConfigurationConverter(const opencc::ConfigurationData& configuration, Dictionaries& built) {
    for (const opencc::DictionaryNode& step : configuration.normalization)
      m_normalization.push_back(MakeGroup(step, built));
    if (configuration.segmentation)
      m_segmentation = MakeGroup(*configuration.segmentation, built);
    for (const opencc::DictionaryNode& step : configuration.chain)
      m_stages.push_back(MakeGroup(step, built));
    // When the first stage starts with the segmentation dictionary and goes on with single
    // characters, a key of the segmentation is a segment that the stage converts whole, and in a
    // run between keys only characters match: the cut and the first stage are one pass.
    const DictionaryGroup& first = *m_stages.front();
    if (m_segmentation && first.First() != nullptr && first.First() == m_segmentation->First() &&
        first.OnlyCharactersAfterTheFirst() && m_segmentation->OnlyCharactersAfterTheFirst())
      m_firstStageRest = std::make_unique<const DictionaryGroup>(first.WithoutTheFirst());
  }

  /// Converts `text` onto the end of `out` (see DictionaryGroup::Convert for the length rule).
  void Convert(std::u16string_view text, std::u16string& out, bool keepCodePage936Length) const {
    // Compatibility ideographs are rare: the text is copied only when one is there.
    std::u16string normalised;
    for (const auto& step : m_normalization) {
      if (!step->Touches(text))
        continue;
      std::u16string next;
      next.reserve(text.size());
      step->Convert(text, next, keepCodePage936Length);
      normalised = std::move(next);
      text = normalised;
    }
    std::vector<std::u16string> buffers(m_stages.size());
    if (!m_segmentation || (m_stages.size() == 1 && m_firstStageRest)) {
      RunStages(text, 0, out, buffers, keepCodePage936Length); // segments change nothing
      return;
    }
    // Each segment goes through the whole chain as soon as it is cut, so that the stages work in
    // small buffers that stay in the cache instead of on copies of the whole text.
    const std::size_t firstStage = m_firstStageRest ? 1 : 0;
    std::u16string run; // the converted run of characters between keys, when cut and stage fuse
    std::size_t runStart = 0;
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
      const Dictionary::Value* value = nullptr;
      const std::size_t length = m_segmentation->Match(text, i, &value);
      if (length == 0) {
        if (!m_firstStageRest) {
          ++i; // the run is a slice of the text
        } else if (const std::size_t rest = m_firstStageRest->Match(text, i, &value); rest != 0) {
          run += value->text;
          i += rest;
        } else {
          run.push_back(text[i]);
          ++i;
        }
        continue;
      }
      if (m_firstStageRest) {
        if (!run.empty())
          RunStages(run, firstStage, out, buffers, keepCodePage936Length);
        run.clear();
        RunStages(value->text, firstStage, out, buffers, keepCodePage936Length);
      } else {
        if (runStart < i)
          RunStages(text.substr(runStart, i - runStart), firstStage, out, buffers,
                    keepCodePage936Length);
        RunStages(text.substr(i, length), firstStage, out, buffers, keepCodePage936Length);
      }
      i += length;
      runStart = i;
    }
    if (m_firstStageRest && !run.empty())
      RunStages(run, firstStage, out, buffers, keepCodePage936Length);
    if (!m_firstStageRest && runStart < n)
      RunStages(text.substr(runStart), firstStage, out, buffers, keepCodePage936Length);
  }

private:
  // One segment through the stages from `stage` on, onto the end of `out`.
  void RunStages(std::u16string_view segment, std::size_t stage, std::u16string& out,
                 std::vector<std::u16string>& buffers, bool keepCodePage936Length) const {
    if (stage == m_stages.size()) {
      out += segment;
      return;
    }
    for (; stage + 1 < m_stages.size(); ++stage) {
      std::u16string& buffer = buffers[stage];
      buffer.clear();
      m_stages[stage]->Convert(segment, buffer, keepCodePage936Length);
      segment = buffer;
    }
    m_stages[stage]->Convert(segment, out, keepCodePage936Length);
  }

  std::vector<std::unique_ptr<const DictionaryGroup>> m_normalization;
  std::unique_ptr<const DictionaryGroup> m_segmentation; // null: the whole text is one segment
  std::vector<std::unique_ptr<const DictionaryGroup>> m_stages;
  std::unique_ptr<const DictionaryGroup> m_firstStageRest; // set when cut and first stage fuse
};

struct Converters {
  std::mutex mutex;
  Dictionaries built;
  std::map<std::string, std::shared_ptr<const ConfigurationConverter>, std::less<>> loaded;
};

// The converter of a built-in configuration, read on its first use; nullopt when there is no
// configuration of that name.
std::optional<std::shared_ptr<const ConfigurationConverter>>
ConverterFor(std::string_view configuration) {
  static Converters state;
  const std::lock_guard lock(state.mutex);
  const auto found = state.loaded.find(configuration);
  if (found != state.loaded.end())
    return found->second;
  const auto text = opencc::ConfigurationText(configuration);
  if (!text)
    return std::nullopt;
  auto converter = std::make_shared<const ConfigurationConverter>(opencc::ParseConfiguration(*text),
                                                                  state.built);
  state.loaded.emplace(std::string(configuration), converter);
  return converter;
}

std::u16string Convert(std::string_view configuration, std::u16string_view text,
                       bool keepCodePage936Length = false) {
  const auto converter = ConverterFor(configuration);
  if (!converter)
    throw std::logic_error("no built-in OpenCC configuration " + std::string(configuration));
  std::u16string out;
  out.reserve(text.size() + text.size() / 8);
  (*converter)->Convert(text, out, keepCodePage936Length);
  return out;
}

} // namespace

std::optional<std::u16string> ConvertByConfiguration(std::string_view configuration,
                                                     std::u16string_view text) {
  if (!ConverterFor(configuration))
    return std::nullopt;
  return Convert(configuration, text);
}

std::u16string TraditionalToSimplified(std::u16string_view text) {
  // The text as code page 936 holds it, up to the first zero byte.
  std::string bytes = ToAnsiBytes(text);
  bytes.resize(std::min(bytes.size(), bytes.find('\0')));
  return Convert("t2s.json", FromAnsiBytes(bytes), true);
}

std::u16string TraditionalToSimplifiedWhole(std::u16string_view text) {
  return Convert("t2s.json", text);
}

std::u16string SimplifiedToTraditional(std::u16string_view text) {
  return Convert("s2t.json", text);
}

std::u16string SimplifiedToTaiwan(std::u16string_view text) { return Convert("s2twp.json", text); }

std::u16string SimplifiedToTaiwanCharacters(std::u16string_view text) {
  return Convert("s2tw.json", text);
}

std::u16string SimplifiedToHongKong(std::u16string_view text) { return Convert("s2hk.json", text); }

std::u16string TaiwanToSimplified(std::u16string_view text) { return Convert("tw2sp.json", text); }

std::u16string TaiwanToTraditional(std::u16string_view text) { return Convert("tw2t.json", text); }

std::u16string HongKongToSimplified(std::u16string_view text) { return Convert("hk2s.json", text); }

} // namespace kelvaro
