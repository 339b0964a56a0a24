#include "codec/chinese/opencc_config.h"

#include "resources/embedded.h"

#include <map>
#include <memory>
#include <stdexcept>
#include <variant>

// The configurations and dictionaries that resources/CMakeLists.txt builds in, in one list so
// that the names below and the symbols declared here cannot drift apart.
#define KELVARO_OPENCC_CONFIGURATIONS(X)                                                           \
  X(hk2s)                                                                                          \
  X(hk2sp)                                                                                         \
  X(hk2t) X(jp2t) X(s2hk) X(s2hkp) X(s2t) X(s2tw) X(s2twp) X(t2hk) X(t2jp) X(t2s) X(t2tw) X(tw2s)  \
      X(tw2sp) X(tw2t)
#define KELVARO_OPENCC_DICTIONARIES(X)                                                             \
  X(CJK_Compatibility_Ideographs)                                                                  \
  X(HKPhrases)                                                                                     \
  X(HKPhrasesRev) X(HKVariants) X(HKVariantsPhrases) X(HKVariantsRev) X(HKVariantsRevPhrases)      \
      X(JPShinjitaiCharacters) X(JPShinjitaiCharactersRev) X(JPShinjitaiPhrases) X(STCharacters)   \
          X(STPhrases) X(STPhrases_GeneratedFromRegionalPhrases) X(TSCharacters)                   \
              X(TSCharactersExt) X(TSPhrases) X(TWPhrases) X(TWPhrasesRev) X(TWVariants)           \
                  X(TWVariantsPhrases) X(TWVariantsRev) X(TWVariantsRevPhrases)

#define KELVARO_DECLARE_CONFIGURATION(name) KELVARO_EMBEDDED(opencc_config_##name)
#define KELVARO_DECLARE_DICTIONARY(name) KELVARO_EMBEDDED(opencc_dict_##name)
KELVARO_OPENCC_CONFIGURATIONS(KELVARO_DECLARE_CONFIGURATION)
KELVARO_OPENCC_DICTIONARIES(KELVARO_DECLARE_DICTIONARY)

namespace kelvaro::opencc {
namespace {

std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

const std::map<std::string_view, std::string_view>& Configurations() {
#define KELVARO_CONFIGURATION_ROW(name)                                                            \
  {#name ".json", AsText(EmbeddedBytes(opencc_config_##name))},
  static const std::map<std::string_view, std::string_view> files = {
      KELVARO_OPENCC_CONFIGURATIONS(KELVARO_CONFIGURATION_ROW)};
#undef KELVARO_CONFIGURATION_ROW
  return files;
}

const std::map<std::string_view, std::string_view>& Dictionaries() {
#define KELVARO_DICTIONARY_ROW(name) {#name, AsText(EmbeddedBytes(opencc_dict_##name))},
  static const std::map<std::string_view, std::string_view> files = {
      KELVARO_OPENCC_DICTIONARIES(KELVARO_DICTIONARY_ROW)};
#undef KELVARO_DICTIONARY_ROW
  return files;
}

// ---- a JSON reader for the configurations: objects, arrays, strings, literals ----

struct Json;
using JsonObject = std::map<std::string, Json, std::less<>>;
using JsonArray = std::vector<Json>;

struct Json {
  // Numbers are kept as their text: no configuration needs their value.
  std::variant<std::nullptr_t, bool, std::string, std::shared_ptr<JsonArray>,
               std::shared_ptr<JsonObject>>
      value;

  const JsonObject& Object() const {
    if (const auto* object = std::get_if<std::shared_ptr<JsonObject>>(&value))
      return **object;
    throw std::runtime_error("configuration: an object expected");
  }
  const JsonArray& Array() const {
    if (const auto* array = std::get_if<std::shared_ptr<JsonArray>>(&value))
      return **array;
    throw std::runtime_error("configuration: an array expected");
  }
  const std::string& String() const {
    if (const auto* text = std::get_if<std::string>(&value))
      return *text;
    throw std::runtime_error("configuration: a string expected");
  }
  bool Bool() const {
    if (const auto* flag = std::get_if<bool>(&value))
      return *flag;
    throw std::runtime_error("configuration: true or false expected");
  }
};

const Json* Member(const JsonObject& object, std::string_view name) {
  const auto found = object.find(name);
  return found == object.end() ? nullptr : &found->second;
}

class JsonReader {
public:
  explicit JsonReader(std::string_view text) : m_text(text) {}

  Json Document() {
    Json value = Value(0);
    SkipBlanks();
    if (m_at != m_text.size())
      Fail("text after the document");
    return value;
  }

private:
  // Deeper than any configuration nests; a bound so that no text can exhaust the stack.
  static constexpr int kDeepest = 32;

  [[noreturn]] void Fail(const char* what) const {
    throw std::runtime_error("configuration: " + std::string(what) + " at byte " +
                             std::to_string(m_at));
  }

  void SkipBlanks() {
    while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' ||
                                    m_text[m_at] == '\n' || m_text[m_at] == '\r'))
      ++m_at;
  }

  bool Take(char c) {
    SkipBlanks();
    if (m_at < m_text.size() && m_text[m_at] == c) {
      ++m_at;
      return true;
    }
    return false;
  }

  void Expect(char c) {
    if (!Take(c))
      Fail("unexpected character");
  }

  Json Value(int depth) {
    if (depth > kDeepest)
      Fail("nested too deep");
    SkipBlanks();
    if (m_at >= m_text.size())
      Fail("unexpected end");
    const char c = m_text[m_at];
    if (c == '{') {
      ++m_at;
      auto object = std::make_shared<JsonObject>();
      if (!Take('}')) {
        do {
          SkipBlanks();
          std::string name = String();
          Expect(':');
          (*object)[std::move(name)] = Value(depth + 1);
        } while (Take(','));
        Expect('}');
      }
      return {object};
    }
    if (c == '[') {
      ++m_at;
      auto array = std::make_shared<JsonArray>();
      if (!Take(']')) {
        do
          array->push_back(Value(depth + 1));
        while (Take(','));
        Expect(']');
      }
      return {array};
    }
    if (c == '"')
      return {String()};
    for (const auto& [word, value] : {std::pair<std::string_view, Json>{"true", {true}},
                                      {"false", {false}},
                                      {"null", {nullptr}}}) {
      if (m_text.substr(m_at, word.size()) == word) {
        m_at += word.size();
        return value;
      }
    }
    const std::size_t start = m_at;
    while (m_at < m_text.size() &&
           std::string_view("+-.0123456789eE").find(m_text[m_at]) != std::string_view::npos)
      ++m_at;
    if (m_at == start)
      Fail("unexpected character");
    return {std::string(m_text.substr(start, m_at - start))};
  }

  // Escapes other than the quote and the backslash do not occur in the configurations.
  std::string String() {
    if (m_at >= m_text.size() || m_text[m_at] != '"')
      Fail("a string expected");
    ++m_at;
    std::string out;
    while (m_at < m_text.size() && m_text[m_at] != '"') {
      if (m_text[m_at] == '\\') {
        ++m_at;
        if (m_at >= m_text.size() || (m_text[m_at] != '"' && m_text[m_at] != '\\'))
          Fail("an escape this reader does not know");
      }
      out.push_back(m_text[m_at++]);
    }
    if (m_at >= m_text.size())
      Fail("an unfinished string");
    ++m_at;
    return out;
  }

  std::string_view m_text;
  std::size_t m_at = 0;
};

std::string WithoutEnding(std::string file) {
  for (const std::string_view ending : {".ocd2", ".ocd", ".txt"}) {
    if (file.size() > ending.size() && file.ends_with(ending)) {
      file.resize(file.size() - ending.size());
      break;
    }
  }
  return file;
}

DictionaryNode ReadDictionary(const Json& json) {
  const JsonObject& object = json.Object();
  const Json* type = Member(object, "type");
  if (type == nullptr)
    throw std::runtime_error("configuration: a dictionary without a type");
  DictionaryNode node;
  if (type->String() == "group") {
    if (const Json* policy = Member(object, "match_policy")) {
      if (policy->String() == "union")
        node.policy = MatchPolicy::Union;
      else if (policy->String() != "short_circuit")
        throw std::runtime_error("configuration: unknown match policy " + policy->String());
    }
    const Json* dicts = Member(object, "dicts");
    if (dicts == nullptr || dicts->Array().empty())
      throw std::runtime_error("configuration: a group without dictionaries");
    for (const Json& member : dicts->Array())
      node.members.push_back(ReadDictionary(member));
    return node;
  }
  const Json* file = Member(object, "file");
  if (file == nullptr)
    throw std::runtime_error("configuration: a dictionary without a file");
  node.file = WithoutEnding(file->String());
  if (const Json* tofu = Member(object, "may_output_tofu"))
    node.mayOutputTofu = tofu->Bool();
  return node;
}

// A list of {"dict": ...} steps, as the chain and the normalisation write them.
std::vector<DictionaryNode> ReadSteps(const Json& json) {
  std::vector<DictionaryNode> steps;
  for (const Json& step : json.Array()) {
    const Json* dict = Member(step.Object(), "dict");
    if (dict == nullptr)
      throw std::runtime_error("configuration: a step without a dictionary");
    steps.push_back(ReadDictionary(*dict));
  }
  return steps;
}

} // namespace

ConfigurationData ParseConfiguration(std::string_view json) {
  const Json document = JsonReader(json).Document();
  const JsonObject& object = document.Object();
  ConfigurationData configuration;
  if (const Json* name = Member(object, "name"))
    configuration.name = name->String();
  if (const Json* normalization = Member(object, "normalization"))
    configuration.normalization = ReadSteps(*normalization);
  if (const Json* segmentation = Member(object, "segmentation")) {
    const JsonObject& cut = segmentation->Object();
    const Json* type = Member(cut, "type");
    const Json* dict = Member(cut, "dict");
    if (type == nullptr || type->String() != "mmseg" || dict == nullptr)
      throw std::runtime_error("configuration: a segmentation other than mmseg");
    configuration.segmentation = ReadDictionary(*dict);
  }
  const Json* chain = Member(object, "conversion_chain");
  if (chain == nullptr || chain->Array().empty())
    throw std::runtime_error("configuration: no conversion chain");
  configuration.chain = ReadSteps(*chain);
  return configuration;
}

std::optional<std::string_view> ConfigurationText(std::string_view name) {
  const auto& files = Configurations();
  const auto found = files.find(name);
  if (found == files.end())
    return std::nullopt;
  return found->second;
}

std::optional<std::string_view> DictionaryText(std::string_view name) {
  const auto& files = Dictionaries();
  const auto found = files.find(name);
  if (found == files.end())
    return std::nullopt;
  return found->second;
}

std::vector<std::string_view> ConfigurationNames() {
  std::vector<std::string_view> names;
  for (const auto& [name, text] : Configurations())
    names.push_back(name);
  return names;
}

} // namespace kelvaro::opencc
