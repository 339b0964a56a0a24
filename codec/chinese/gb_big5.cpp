#include "codec/chinese/gb_big5.h"

#include "resources/embedded.h"
#include "text/codepage.h"

#include <array>

KELVARO_EMBEDDED(gb2312_to_big5)
KELVARO_EMBEDDED(big5_to_gb2312)

namespace kelvaro {
namespace {

// Built into the program, the tables cannot fail to load: the conversion never falls back to
// giving its input back unchanged.
template <std::size_t N>
std::array<std::uint16_t, N> ReadTable(std::span<const std::uint8_t> bytes) {
  std::array<std::uint16_t, N> table{};
  for (std::size_t i = 0; i < N && 2 * i + 1 < bytes.size(); ++i)
    table[i] = static_cast<std::uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  return table;
}

const std::array<std::uint16_t, kGBToBig5Entries>& GBToBig5Table() {
  static const auto table = ReadTable<kGBToBig5Entries>(EmbeddedBytes(gb2312_to_big5));
  return table;
}

const std::array<std::uint16_t, kBig5ToGBEntries>& Big5ToGBTable() {
  static const auto table = ReadTable<kBig5ToGBEntries>(EmbeddedBytes(big5_to_gb2312));
  return table;
}

template <bool (*IsPair)(std::uint8_t, std::uint8_t),
          std::size_t (*Index)(std::uint8_t, std::uint8_t), std::size_t N>
std::u16string Recode(std::u16string_view text, const std::array<std::uint16_t, N>& table) {
  const std::string bytes = ToAnsiBytes(text);
  const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::size_t n = bytes.size();
  std::u16string result;
  result.reserve(n);
  for (std::size_t i = 0; i < n;) {
    if (i + 1 < n && IsPair(b[i], b[i + 1])) {
      AppendAnsiCodeChars(result, table[Index(b[i], b[i + 1])]);
      i += 2;
    } else {
      // Passed on alone; the next pair starts at the very next byte, not at the next character.
      AppendAnsiCodeChars(result, b[i]);
      ++i;
    }
  }
  return result;
}

} // namespace

std::u16string GBToBig5(std::u16string_view text) {
  return Recode<IsGBPair, GBIndex>(text, GBToBig5Table());
}

std::u16string Big5ToGB(std::u16string_view text) {
  return Recode<IsBig5Pair, Big5Index>(text, Big5ToGBTable());
}

} // namespace kelvaro
