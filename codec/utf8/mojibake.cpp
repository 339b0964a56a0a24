#include "codec/utf8/mojibake.h"

#include "text/width.h"
#include "text/codepage.h"
#include "text/utf.h"

#include <unicode/uchar.h>

namespace kelvaro {
namespace {

// Simple case mapping, one code unit for one. ASCII and the caseless scripts from kana to Yi
// (the Chinese characters among them) skip the library call.
char16_t ToLowerUnit(char16_t unit) {
  if (unit < 0x80)
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 0x20) : unit;
  if ((unit >= 0x3040 && unit < 0xA640) || IsSurrogate(unit))
    return unit;
  return static_cast<char16_t>(u_tolower(unit));
}

} // namespace

std::string ToUtf8Bytes(std::u16string_view text) {
  std::string bytes = Utf16ToUtf8(text);
  bytes.push_back('\0');
  return bytes;
}

std::u16string FromUtf8Bytes(std::string_view bytes) {
  std::u16string text = Utf8ToUtf16Lenient(bytes.substr(0, bytes.find('\0')));
  text.push_back(u'\0');
  return text;
}

std::u16string MakeUtf8Mojibake(std::u16string_view text, Charset charset) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && text[begin] == u' ')
    ++begin;
  while (end > begin && text[end - 1] == u' ')
    --end;
  // Lower-casing and the full-width forms neither make nor take a CR or LF, so the CR LF pairs can
  // go in the same pass as the case.
  std::u16string prepared;
  prepared.reserve(end - begin);
  for (std::size_t i = begin; i < end; ++i) {
    if (text[i] == u'\r' && i + 1 < end && text[i + 1] == u'\n') {
      ++i;
      continue;
    }
    prepared.push_back(ToLowerUnit(text[i]));
  }
  std::string bytes = ToUtf8Bytes(ToFullWidth(prepared));
  // In UTF-16 one zero byte is half a code unit: the terminator is a whole zero unit there, so that
  // it reads as U+0000, as in every byte charset, and the repair finds the text's end.
  if (charset == Charset::Utf16Le || charset == Charset::Utf16Be)
    bytes.push_back('\0');
  return DecodeBytes(bytes, charset);
}

std::u16string RepairUtf8Mojibake(std::u16string_view text, Charset charset) {
  return FromUtf8Bytes(EncodeText(text, charset));
}

} // namespace kelvaro
