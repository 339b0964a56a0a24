#include "codec/text-encodings/byte_hex.h"

#include "text/hex.h"

namespace kelvaro {
namespace {

bool IsSeparator(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u':' || c == u',' || c == u'-';
}

// The bytes, or where the first unit stands that is neither a byte's digits nor a separator.
Result<std::string> ReadHexBytes(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size() / 2);
  for (std::size_t i = 0; i < text.size();) {
    if (IsSeparator(text[i])) {
      ++i;
      continue;
    }
    // "0x" before a byte, never "0x" as a byte: the 0 and x are no two digits, but 0 alone is one.
    if (i + 1 < text.size() && (text[i] == u'0' || text[i] == u'\\') &&
        (text[i + 1] == u'x' || (text[i] == u'0' && text[i + 1] == u'X')) &&
        HexByteAt(text, i + 2))
      i += 2;
    const std::optional<std::uint8_t> byte = HexByteAt(text, i);
    if (!byte)
      return Fail(ErrorCode::NotHexBytes, i);
    bytes.push_back(static_cast<char>(*byte));
    i += 2;
  }
  return bytes;
}

} // namespace

std::u16string ByteHexEncode(std::u16string_view text, Charset charset, bool upper) {
  const std::string bytes = EncodeText(text, charset);
  std::u16string hex(bytes.size() * 2, u'\0');
  char16_t* out = hex.data();
  for (const char byte : bytes)
    out = WriteHexByte(out, static_cast<std::uint8_t>(byte), upper ? kHexUpper : kHexLower);
  return hex;
}

Result<std::u16string> ByteHexDecode(std::u16string_view text, Charset charset) {
  const Result<std::string> bytes = ReadHexBytes(text);
  if (!bytes)
    return unexpected<Error>(bytes.error());
  return DecodeBytes(*bytes, charset);
}

std::optional<std::string> ByteHexDecodeBytes(std::u16string_view text) {
  Result<std::string> bytes = ReadHexBytes(text);
  if (!bytes || bytes->empty())
    return std::nullopt;
  return std::move(*bytes);
}

} // namespace kelvaro
