#pragma once
// MD5 over a text's code-page-936 bytes, written as hexadecimal digits. The digest must agree digit
// for digit with ones stored by older systems, so the byte rule (codec/digest/md5_steps.h,
// ToMd5Bytes) keeps their quirk for characters that the code page lacks.

#include "text/charset.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvaro::digest {

/// Upper-case hexadecimal MD5 of `ToMd5Bytes(text)` in GBK, of the text's bytes in any other
/// charset (EncodeText): 32 digits when `digits` is 32, otherwise the 16 digits 9 to 24 of the
/// 32-digit form (digest bytes 4 to 11). Never fails.
[[nodiscard]] std::u16string Md5Hex(std::u16string_view text, std::int32_t digits,
                                    Charset charset = Charset::Gbk);

/// The table of codes by which Md5Hex reads a text's code units (as BytesOfCodes takes it): its
/// own in GBK; null in the other charsets, where it reads EncodeText's bytes.
[[nodiscard]] const std::uint16_t* Md5CodesOfUnits(Charset charset);

/// Md5Hex of the bytes themselves.
[[nodiscard]] std::u16string Md5HexOfBytes(std::string_view bytes, std::int32_t digits);

/// MD5 of a message given a piece at a time (standard input read in blocks): after Add of each
/// piece in order, Hex gives Md5HexOfBytes of the pieces joined; a piece may have any length, none
/// at all. Hex leaves the digest open, so more pieces may follow. Never fails.
class Md5Stream {
public:
  Md5Stream();
  void Add(std::string_view bytes);
  [[nodiscard]] std::u16string Hex(std::int32_t digits) const;

private:
  std::array<std::uint32_t, 4> m_state;
  std::array<unsigned char, 64> m_rest = {}; ///< bytes after the last whole block
  std::size_t m_restSize = 0;
  std::uint64_t m_length = 0; ///< bytes added so far
};

} // namespace kelvaro::digest
