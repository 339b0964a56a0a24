// The charsets below every byte operation, on arbitrary bytes and code units: decoding never
// fails and agrees with strict decoding wherever that succeeds; what a charset can encode comes
// back through it; one character of bytes is one character. Byte 0 picks the charset, byte 1
// whether the rest is read as bytes to decode or as UTF-16LE code units to encode.

#include "text/box_rule.h"
#include "text/charset.h"
#include "text/utf.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Require(bool condition, const char* what, kelvaro::Charset charset) {
  if (condition)
    return;
  const std::string_view name = kelvaro::InfoOf(charset).name;
  std::fprintf(stderr, "%s: %.*s\n", what, static_cast<int>(name.size()), name.data());
  std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvaro;
  if (size < 2)
    return 0;
  const Charset charset = Charsets()[data[0] % Charsets().size()].charset;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  if ((data[1] & 1) == 0) {
    const std::u16string lenient = DecodeBytes(bytes, charset);
    Require(IsWellFormedUtf16(lenient), "ill-formed decoding", charset);
    const Result<std::u16string> strict = DecodeBytesStrictly(bytes, charset);
    if (strict) {
      Require(*strict == lenient, "strict and lenient decoding differ", charset);
      Require(EncodeText(*strict, charset) == bytes || charset == Charset::Gb18030 ||
                  charset == Charset::Big5 || charset == Charset::Gbk ||
                  charset == Charset::ShiftJis || charset == Charset::EucKr,
              "well-formed bytes do not come back", charset);
    } else {
      Require(strict.error().position < bytes.size(), "error past the end", charset);
    }
    const Character character = CharacterOfBytes(bytes.substr(0, 4), charset);
    Require(character.size <= 2, "a character of more than two units", charset);
    return 0;
  }
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    text.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                         static_cast<std::uint8_t>(bytes[i + 1]) << 8));
  std::u16string boxed = text;
  ReplaceUnencodable(boxed, charset);
  Require(DecodeBytes(EncodeText(text, charset), charset) == boxed, "round trip broken", charset);
  std::u16string written = ApplyTextBoxRule(text);
  WriteUnencodableAsQuestionMarks(written, charset);
  Require(written == ApplyTextBoxRule(boxed), "the box rule and the bytes disagree", charset);
  return 0;
}
