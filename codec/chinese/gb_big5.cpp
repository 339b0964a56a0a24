#include "codec/chinese/gb_big5.h"

#include "resources/embedded.h"
#include "text/codepage.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>

KELVARO_EMBEDDED(gb2312_to_big5)
KELVARO_EMBEDDED(big5_to_gb2312)

namespace kelvaro {
namespace {

class BuiltInSource : public CodeTableSource {
public:
  std::optional<std::span<const std::uint8_t>> Read(CodeTableId id) const override {
    if (id == CodeTableId::GBToBig5) {
      return EmbeddedBytes(gb2312_to_big5);
    }
    return EmbeddedBytes(big5_to_gb2312);
  }
};

// Marks a code that does not read as exactly one code unit through code page 936 (the filler,
// a code that forms no character): AppendAnsiCodeChars decides those one at a time.
constexpr char16_t kSlowPath = 0;

struct CodeTables {
  std::array<std::uint16_t, kGBToBig5Entries> gbToBig5{};
  std::array<std::uint16_t, kBig5ToGBEntries> big5ToGb{};
  // The entries and the single bytes already read through code page 936, so that the scan writes
  // one code unit per code instead of asking the code page each time.
  std::array<char16_t, kGBToBig5Entries> gbToBig5Unit{};
  std::array<char16_t, kBig5ToGBEntries> big5ToGbUnit{};
  std::array<char16_t, 256> byteUnit{};
  const CodeTableSource* source = nullptr; // null: the built-in tables
  std::atomic<bool> loaded{false};
  std::mutex loading;
};

CodeTables& Tables() {
  static CodeTables tables;
  return tables;
}

template <std::size_t N>
bool Fill(std::array<std::uint16_t, N>& table, const CodeTableSource& source, CodeTableId id) {
  const auto bytes = source.Read(id);
  if (!bytes || bytes->size() % 2 != 0 || bytes->size() / 2 > N)
    return false;
  for (std::size_t i = 0; i < bytes->size() / 2; ++i) {
    table[i] = static_cast<std::uint16_t>((*bytes)[2 * i] | (*bytes)[2 * i + 1] << 8);
  }
  return true;
}

char16_t SingleUnitOf(std::uint16_t code) {
  std::u16string text;
  AppendAnsiCodeChars(text, code);
  return text.size() == 1 ? text[0] : kSlowPath;
}

template <std::size_t N>
void Decode(const std::array<std::uint16_t, N>& codes, std::array<char16_t, N>& units) {
  for (std::size_t i = 0; i < N; ++i)
    units[i] = SingleUnitOf(codes[i]);
}

bool LoadLocked(CodeTables& tables) {
  const CodeTableSource& source = tables.source ? *tables.source : BuiltInCodeTables();
  const bool ok = Fill(tables.gbToBig5, source, CodeTableId::GBToBig5) &&
                  Fill(tables.big5ToGb, source, CodeTableId::Big5ToGB);
  if (ok) {
    Decode(tables.gbToBig5, tables.gbToBig5Unit);
    Decode(tables.big5ToGb, tables.big5ToGbUnit);
    for (std::uint16_t b = 0; b < 256; ++b)
      tables.byteUnit[b] = SingleUnitOf(b);
  }
  tables.loaded.store(ok, std::memory_order_release);
  return ok;
}

// The tables, loaded on first use; null when they cannot be loaded (the next call tries again).
const CodeTables* LoadedTables() {
  CodeTables& tables = Tables();
  if (!tables.loaded.load(std::memory_order_acquire)) {
    const std::lock_guard lock(tables.loading);
    if (!tables.loaded.load(std::memory_order_relaxed) && !LoadLocked(tables))
      return nullptr;
  }
  return &tables;
}

// Appends the text of one code: the decoded unit when there is one, else through the code page.
inline char16_t* Put(char16_t* out, char16_t unit, std::uint16_t code) {
  if (unit != kSlowPath) {
    *out = unit;
    return out + 1;
  }
  std::u16string text; // a pair of bytes reads as at most two code units
  AppendAnsiCodeChars(text, code);
  return std::copy(text.begin(), text.end(), out);
}

template <bool (*IsPair)(std::uint8_t, std::uint8_t),
          std::size_t (*Index)(std::uint8_t, std::uint8_t)>
std::u16string Recode(std::u16string_view text, const std::uint16_t* codes, const char16_t* units,
                      const char16_t* byteUnits) {
  const std::string bytes = ToAnsiBytes(text);
  const std::size_t n = bytes.size();
  std::u16string result(n, u'\0'); // every byte gives at most one code unit
  char16_t* out = result.data();
  const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
  std::size_t i = 0;
  while (i < n) {
    if (i + 1 < n && IsPair(b[i], b[i + 1])) {
      const std::size_t at = Index(b[i], b[i + 1]);
      out = Put(out, units[at], codes[at]);
      i += 2;
    } else {
      // Passed on alone; the next pair starts at the very next byte, not at the next character.
      out = Put(out, byteUnits[b[i]], b[i]);
      ++i;
    }
  }
  result.resize(static_cast<std::size_t>(out - result.data()));
  return result;
}

} // namespace

const CodeTableSource& BuiltInCodeTables() {
  static const BuiltInSource source;
  return source;
}

void UseCodeTableSource(const CodeTableSource* source) {
  CodeTables& tables = Tables();
  const std::lock_guard lock(tables.loading);
  tables.source = source;
  tables.loaded.store(false, std::memory_order_release);
}

bool LoadCodeTables() {
  CodeTables& tables = Tables();
  const std::lock_guard lock(tables.loading);
  return LoadLocked(tables);
}

bool CodeTablesLoaded() { return Tables().loaded.load(std::memory_order_acquire); }

std::u16string GBToBig5(std::u16string_view text) {
  const CodeTables* tables = LoadedTables();
  if (tables == nullptr)
    return std::u16string(text);
  return Recode<IsGBPair, GBIndex>(text, tables->gbToBig5.data(), tables->gbToBig5Unit.data(),
                                   tables->byteUnit.data());
}

std::u16string Big5ToGB(std::u16string_view text) {
  const CodeTables* tables = LoadedTables();
  if (tables == nullptr)
    return std::u16string(text);
  return Recode<IsBig5Pair, Big5Index>(text, tables->big5ToGb.data(), tables->big5ToGbUnit.data(),
                                       tables->byteUnit.data());
}

} // namespace kelvaro
