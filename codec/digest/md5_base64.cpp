#include "codec/digest/md5_base64.h"

#include "codec/digest/md5_steps.h"
#include "text/codepage.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kelvaro::digest {
namespace {

constexpr char16_t kAlphabet[] =
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t kDigestBase64Length = 24;

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

  // Six groups of three bytes over the digest and two zero bytes; the last two of the 24 digits
  // then become padding, which is exactly the standard encoding of 16 bytes.
  std::array<std::uint8_t, 18> b{};
  for (std::size_t i = 0; i < digest.size(); ++i)
    b[i] = digest[i];
  std::u16string out;
  out.reserve(kDigestBase64Length);
  for (std::size_t i = 0; i < b.size(); i += 3) {
    out.push_back(kAlphabet[b[i] >> 2]);
    out.push_back(kAlphabet[(b[i] & 0x03) << 4 | b[i + 1] >> 4]);
    out.push_back(kAlphabet[(b[i + 1] & 0x0F) << 2 | b[i + 2] >> 6]);
    out.push_back(kAlphabet[b[i + 2] & 0x3F]);
  }
  out[22] = u'=';
  out[23] = u'=';
  return out;
}

} // namespace kelvaro::digest
