#pragma once
// GB2312 <-> BIG5 recoding through two fixed code tables. The conversion works on the text's code
// page 936 bytes: each recognised two-byte code becomes the other set's code for the same
// character, and the result is those codes read back through code page 936 (中 gives い, the text
// whose code page 936 bytes are the BIG5 code A4 A4 of 中).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvaro {

inline constexpr std::size_t kGBToBig5Entries = 87 * 94;  ///< 8178
inline constexpr std::size_t kBig5ToGBEntries = 94 * 157; ///< 14758
/// Entry of a character the other set lacks: two spaces.
inline constexpr std::uint16_t kCodeTableFiller = 0x2020;

/// Lead 0xA1..0xF7 and trail 0xA1..0xFE.
[[nodiscard]] constexpr bool IsGBPair(std::uint8_t lead, std::uint8_t trail) {
  return lead >= 0xA1 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE;
}

/// Lead 0xA1..0xFE and trail 0x40..0x7E or 0xA1..0xFE.
[[nodiscard]] constexpr bool IsBig5Pair(std::uint8_t lead, std::uint8_t trail) {
  return lead >= 0xA1 && lead <= 0xFE &&
         ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE));
}

/// Position of a GB2312 pair in the GB2312-to-BIG5 table: 94 entries a row.
[[nodiscard]] constexpr std::size_t GBIndex(std::uint8_t lead, std::uint8_t trail) {
  return static_cast<std::size_t>(lead - 0xA1) * 94 + (trail - 0xA1);
}

/// Position of a BIG5 pair in the BIG5-to-GB2312 table: 157 entries a row, trails 0x40..0x7E
/// first, then 0xA1..0xFE.
[[nodiscard]] constexpr std::size_t Big5Index(std::uint8_t lead, std::uint8_t trail) {
  const std::size_t column = trail <= 0x7E ? trail - 0x40u : trail - 0xA1u + 63;
  return static_cast<std::size_t>(lead - 0xA1) * 157 + column;
}

/// GB2312 codes to BIG5 codes. The bytes are scanned one at a time: a GB2312 pair is replaced by
/// its table entry, any other byte is passed on alone and the next pair may start at the byte
/// after it (even the trail byte of a GBK character). The tables are read on first use.
[[nodiscard]] std::u16string GBToBig5(std::u16string_view text);

/// BIG5 codes to GB2312 codes; as GBToBig5 with BIG5 pairs and the other table.
[[nodiscard]] std::u16string Big5ToGB(std::u16string_view text);

} // namespace kelvaro
