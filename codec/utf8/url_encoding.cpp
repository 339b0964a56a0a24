#include "codec/utf8/url_encoding.h"

#include "text/codepage.h"
#include "text/hex.h"

#include <cstdint>

namespace kelvaro {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// "%" and the hexadecimal digits of a byte without a leading zero, as the encoder has always
// written them in code page 936. Its lead bytes (0x81 and up) and trail bytes (0x40 and up) always
// have two digits.
void AppendGbkEscape(std::u16string& out, unsigned byte) {
  out.push_back(u'%');
  if (byte >= 0x10)
    out.push_back(kHexUpper[byte >> 4]);
  out.push_back(kHexUpper[byte & 0xF]);
}

// The code page 936 rule: a character whose code is a single byte stays itself (characters the
// code page lacks too, which are "?" there), a double-byte one becomes its two escapes.
std::u16string EncodeGbk(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() * 6);
  const std::uint16_t* codeOf = AnsiCodeTable();
  for (const char16_t unit : text) {
    const std::uint16_t code = codeOf[unit];
    if (unit == u' ') {
      out += u"%20";
    } else if (code <= 0xFF) {
      out.push_back(unit);
    } else {
      AppendGbkEscape(out, code >> 8);
      AppendGbkEscape(out, code & 0xFF);
    }
  }
  return out;
}

// The bytes of up to `most` escapes in a row from text[i]; gives how many were read.
std::size_t ReadEscapes(std::u16string_view text, std::size_t i, std::size_t most, char* bytes) {
  std::size_t count = 0;
  for (int byte; count < most && (byte = PercentByteAt(text, i + 3 * count)) >= 0; ++count)
    bytes[count] = static_cast<char>(byte);
  return count;
}

} // namespace

std::u16string URLEncode(std::u16string_view text, Charset charset) {
  if (charset == Charset::Gbk)
    return EncodeGbk(text);
  std::u16string out;
  out.reserve(text.size() * 9);
  for (std::size_t i = 0; i < text.size();) {
    const char16_t unit = text[i];
    if (unit < 0x80) {
      if (unit == u' ') {
        out += u"%20";
      } else {
        out.push_back(unit);
      }
      ++i;
      continue;
    }
    const EncodedCharacter encoded = EncodeCharacterAt(text, i, charset);
    if (encoded.size == 0) {
      // As in code page 936: a character the charset lacks stays itself rather than becoming a
      // "?" that no decoder could bring back.
      out.push_back(unit);
      ++i;
      continue;
    }
    // A character's escapes go in with one append: a Chinese character's are nine code units.
    char16_t escapes[3 * std::size(encoded.bytes)];
    char16_t* end = escapes;
    for (std::size_t k = 0; k < encoded.size; ++k)
      end = WritePercentByte(end, encoded.bytes[k]);
    out.append(escapes, end);
    i += encoded.units;
  }
  return out;
}

std::u16string URLDecode(std::u16string_view text, Charset charset) {
  const std::size_t longest = InfoOf(charset).longest;
  std::u16string out;
  out.reserve(text.size());
  // Turning "+" into a space while copying the text between escapes is the same as doing it
  // first over the whole text: a "+" is never a hexadecimal digit. A "+" from %2B stays.
  const auto copyRun = [&out](std::u16string_view run) {
    for (const char16_t unit : run)
      out.push_back(unit == u'+' ? u' ' : unit);
  };
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t percent = text.find(u'%', i);
    if (percent == std::u16string_view::npos) {
      copyRun(text.substr(i));
      break;
    }
    copyRun(text.substr(i, percent - i));
    char bytes[4];
    const std::size_t escapes = ReadEscapes(text, percent, longest, bytes);
    if (escapes == 0) {
      out.push_back(u'%');
      i = percent + 1;
      continue;
    }
    // The longest run of escapes whose bytes are one character of the charset.
    std::size_t taken = 0;
    for (std::size_t length = escapes; length >= 2 && taken == 0; --length) {
      const Character character = CharacterOfBytes(std::string_view(bytes, length), charset);
      if (character.size != 0) {
        out.append(character.view());
        taken = length;
      }
    }
    if (taken == 0) {
      // One escape: an ASCII byte is its character; any other byte is what the charset reads
      // it as alone, U+FFFD where that is nothing.
      const auto byte = static_cast<std::uint8_t>(bytes[0]);
      const Character alone = CharacterOfBytes(std::string_view(bytes, 1), charset);
      if (byte < 0x80) {
        out.push_back(byte);
      } else if (alone.size != 0) {
        out.append(alone.view());
      } else {
        out.push_back(kReplacement);
      }
      taken = 1;
    }
    i = percent + 3 * taken;
  }
  return out;
}

} // namespace kelvaro
