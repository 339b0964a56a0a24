#include "codec/chinese/gb_big5.h"

#include "codec/chinese/code_table_data.h"
#include "text/codepage.h"

#include <array>
#include <atomic>
#include <mutex>

namespace kelvaro {
namespace {

class BuiltInSource : public CodeTableSource {
public:
  std::optional<std::span<const std::uint8_t>> Read(CodeTableId id) const override {
    if (id == CodeTableId::GBToBig5) {
      return std::span(chinese::kGb2312ToBig5Bytes, chinese::kGb2312ToBig5BytesSize);
    }
    return std::span(chinese::kBig5ToGb2312Bytes, chinese::kBig5ToGb2312BytesSize);
  }
};

struct CodeTables {
  std::array<std::uint16_t, kGBToBig5Entries> gbToBig5{};
  std::array<std::uint16_t, kBig5ToGBEntries> big5ToGb{};
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
  if (!bytes || bytes->size() % 2 != 0 || bytes->size() / 2 > N) return false;
  for (std::size_t i = 0; i < bytes->size() / 2; ++i) {
    table[i] = static_cast<std::uint16_t>((*bytes)[2 * i] | (*bytes)[2 * i + 1] << 8);
  }
  return true;
}

bool LoadLocked(CodeTables& tables) {
  const CodeTableSource& source = tables.source ? *tables.source : BuiltInCodeTables();
  const bool ok = Fill(tables.gbToBig5, source, CodeTableId::GBToBig5) &&
                  Fill(tables.big5ToGb, source, CodeTableId::Big5ToGB);
  tables.loaded.store(ok, std::memory_order_release);
  return ok;
}

// The tables, loaded on first use; null when they cannot be loaded (the next call tries again).
const CodeTables* LoadedTables() {
  CodeTables& tables = Tables();
  if (!tables.loaded.load(std::memory_order_acquire)) {
    const std::lock_guard lock(tables.loading);
    if (!tables.loaded.load(std::memory_order_relaxed) && !LoadLocked(tables)) return nullptr;
  }
  return &tables;
}

template <bool (*IsPair)(std::uint8_t, std::uint8_t),
          std::size_t (*Index)(std::uint8_t, std::uint8_t)>
std::u16string Recode(std::u16string_view text, const std::uint16_t* table) {
  const std::string bytes = ToAnsiBytes(text);
  const std::size_t n = bytes.size();
  std::u16string out;
  out.reserve(n);
  const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
  std::size_t i = 0;
  while (i < n) {
    if (i + 1 < n && IsPair(b[i], b[i + 1])) {
      AppendAnsiCodeChars(out, table[Index(b[i], b[i + 1])]);
      i += 2;
    } else {
      // Passed on alone; the next pair starts at the very next byte, not at the next character.
      AppendAnsiCodeChars(out, b[i]);
      ++i;
    }
  }
  return out;
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
  if (tables == nullptr) return std::u16string(text);
  return Recode<IsGBPair, GBIndex>(text, tables->gbToBig5.data());
}

std::u16string Big5ToGB(std::u16string_view text) {
  const CodeTables* tables = LoadedTables();
  if (tables == nullptr) return std::u16string(text);
  return Recode<IsBig5Pair, Big5Index>(text, tables->big5ToGb.data());
}

} // namespace kelvaro
