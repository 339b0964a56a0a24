#include "codec/chinese/simplified_traditional.h"

#include "text/codepage.h"
#include "text/utf.h"

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <opencc/Config.hpp>
#include <opencc/Conversion.hpp>
#include <opencc/ConversionChain.hpp>
#include <opencc/Converter.hpp>
#include <opencc/Dict.hpp>
#include <opencc/DictGroup.hpp>
#include <opencc/Lexicon.hpp>
#include <opencc/MaxMatchSegmentation.hpp>
#include <stdexcept>
#include <unordered_map>
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

// OpenCC's dictionaries of one configuration, held as UTF-16 hash tables so a conversion costs a
// lookup or two per character. It converts as OpenCC's maximum-match segmentation followed by its
// dictionary group does: at each position the longest key of the group wins, the phrase
// dictionary before the character dictionary for equal keys, and text no key covers is copied.
class DictionaryConverter {
public:
  explicit DictionaryConverter(const std::string& configFile) {
    opencc::Config config;
    const opencc::ConverterPtr converter = config.NewFromFile(configFile);
    const auto conversions = converter->GetConversionChain()->GetConversions();
    if (conversions.size() != 1)
      throw std::runtime_error("unexpected OpenCC configuration");
    const opencc::DictPtr dict = conversions.front()->GetDict();
    if (const auto group = std::dynamic_pointer_cast<opencc::DictGroup>(dict)) {
      for (const opencc::DictPtr& member : group->GetDicts())
        Add(*member);
    } else {
      Add(*dict);
    }
  }

  /// Converts `text` onto the end of `out`. With keepCodePage936Length, a replacement is taken only
  /// where it keeps the code page 936 byte length and code page 936 holds it.
  void Convert(std::u16string_view text, std::u16string& out, bool keepCodePage936Length) const {
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
      const char16_t first = text[i];
      const Entry* best = nullptr;
      std::size_t bestLength = 0;
      const std::size_t longest = std::min<std::size_t>(m_longestFrom[first], n - i);
      for (std::size_t length = 2; length <= longest; ++length) {
        const auto it = m_keys.find(text.substr(i, length));
        if (it == m_keys.end())
          break; // no key goes on from here
        if (it->second.isKey) {
          best = &it->second;
          bestLength = length;
        }
      }
      if (best != nullptr) {
        if (!keepCodePage936Length || best->keepsLength) {
          out += best->value;
        } else {
          // This phrase would change the byte length: its characters one by one instead.
          for (std::size_t k = i; k < i + bestLength; ++k)
            AppendCharacter(text[k], out, true);
        }
        i += bestLength;
      } else {
        AppendCharacter(first, out, keepCodePage936Length);
        ++i;
      }
    }
  }

private:
  struct Entry {
    std::u16string_view value;
    bool isKey = false;       // false: only the beginning of longer keys
    bool keepsLength = false; // the value is code page 936 text of the key's byte length
  };
  struct Character {
    std::u16string_view value;
    bool keepsLength = false;
  };

  void AppendCharacter(char16_t unit, std::u16string& out, bool keepCodePage936Length) const {
    const Character& c = m_characters[unit];
    if (c.value.empty() || (keepCodePage936Length && !c.keepsLength)) {
      out.push_back(unit);
    } else {
      out += c.value;
    }
  }

  std::u16string_view Store(std::u16string text) {
    m_storage.push_back(std::make_unique<std::u16string>(std::move(text)));
    return *m_storage.back();
  }

  void Add(const opencc::Dict& dict) {
    const opencc::LexiconPtr lexicon = dict.GetLexicon();
    for (const auto& entry : *lexicon) {
      const std::u16string key = Utf8ToUtf16Lenient(entry->Key());
      if (key.empty())
        continue;
      const std::u16string value = Utf8ToUtf16Lenient(entry->GetDefault());
      const bool keepsLength = AllInCodePage936(value) && Cp936Length(value) == Cp936Length(key);
      if (key.size() == 1) {
        Character& c = m_characters[key[0]];
        if (c.value.empty())
          c = {Store(value), keepsLength}; // the first dictionary wins
        continue;
      }
      const std::u16string_view storedKey = Store(key);
      const auto [it, inserted] = m_keys.try_emplace(storedKey);
      if (!it->second.isKey)
        it->second = {Store(value), true, keepsLength};
      for (std::size_t length = 2; length < storedKey.size(); ++length) {
        m_keys.try_emplace(storedKey.substr(0, length)); // a beginning only, unless a key itself
      }
      auto& longest = m_longestFrom[storedKey[0]];
      longest = static_cast<std::uint8_t>(
          std::min<std::size_t>(255, std::max<std::size_t>(longest, storedKey.size())));
    }
  }

  std::vector<std::unique_ptr<std::u16string>> m_storage;
  std::unordered_map<std::u16string_view, Entry> m_keys;
  std::vector<Character> m_characters = std::vector<Character>(0x10000);
  std::vector<std::uint8_t> m_longestFrom = std::vector<std::uint8_t>(0x10000, 0);
};

enum Direction { kToSimplified, kToTraditional };

struct Converters {
  std::mutex mutex;
  std::string directory;
  std::array<std::shared_ptr<const DictionaryConverter>, 2> loaded;
};

Converters& State() {
  static Converters state;
  return state;
}

// The converter of one direction, read on its first use; null when OpenCC's data cannot be read
// (the next call tries again).
std::shared_ptr<const DictionaryConverter> ConverterFor(Direction direction) {
  Converters& state = State();
  const std::lock_guard lock(state.mutex);
  auto& slot = state.loaded[direction];
  if (!slot) {
    const std::string file = direction == kToSimplified ? "t2s.json" : "s2t.json";
    try {
      slot = std::make_shared<const DictionaryConverter>(
          state.directory.empty() ? file : state.directory + "/" + file);
    } catch (const std::bad_alloc&) {
      throw;
    } catch (...) {
      // OpenCC reports a missing file with its own exception types, not all of them standard.
      return nullptr;
    }
  }
  return slot;
}

} // namespace

Result<std::u16string> TraditionalToSimplified(std::u16string_view text) {
  const auto converter = ConverterFor(kToSimplified);
  if (!converter)
    return Fail(ErrorCode::DataMissing);
  // The text as code page 936 holds it, up to the first zero byte.
  std::string bytes = ToAnsiBytes(text);
  bytes.resize(std::min(bytes.size(), bytes.find('\0')));
  const std::u16string source = FromAnsiBytes(bytes);
  std::u16string out;
  out.reserve(source.size());
  converter->Convert(source, out, true);
  return out;
}

Result<std::u16string> SimplifiedToTraditional(std::u16string_view text) {
  const auto converter = ConverterFor(kToTraditional);
  if (!converter)
    return Fail(ErrorCode::DataMissing);
  std::u16string out;
  out.reserve(text.size());
  converter->Convert(text, out, false);
  return out;
}

void UseOpenccDataDirectory(std::string directory) {
  Converters& state = State();
  const std::lock_guard lock(state.mutex);
  state.directory = std::move(directory);
  state.loaded = {};
}

} // namespace kelvaro
