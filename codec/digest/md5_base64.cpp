#include "codec/digest/md5_base64.h"

#include "codec/digest/md5_steps.h"
#include "codec/text-encodings/base64.h"
#include "text/codepage.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kelvaro::digest {
namespace {

// Each character's code-page code read as the signed 16-bit value it was stored as.
std::vector<std::uint32_t> WordsOfCharacterCodes(std::u16string_view text) {
  const std::uint16_t* codes = AnsiCodeTable();
  std::vector<std::int16_t> units(text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    units[i] = static_cast<std::int16_t>(codes[text[i]]);
  return Md5WordArray(units);
}

} // namespace

std::u16string Md5Base64(std::u16string_view text) {
  const std::array<std::uint8_t, 16> digest =
      Md5DigestBytes(Md5Process(WordsOfCharacterCodes(text)));

  // Sixteen bytes are five whole groups and one of a single byte: 24 digits, the last two "=".
  return Base64OfBytes(
      std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()));
}

} // namespace kelvaro::digest
