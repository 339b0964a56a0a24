#include "codec/utf8/url_encoding.h"

#include "text/codepage.h"
#include "text/hex.h"
#include "text/utf.h"

#include <cstdint>

namespace kelvaro {
namespace {

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

// How many of the bytes of a run of escapes, which begin no character, one U+FFFD stands for: in
// UTF-8 the maximal subpart, in GB18030 the start of a four-byte form, elsewhere one byte, as the
// charsets' decoders read them.
std::size_t InvalidRunLength(std::string_view bytes, Charset charset) {
  if (charset == Charset::Utf8)
    return Utf8MaximalSubpart(bytes);
  if (charset == Charset::Gb18030 && bytes.size() >= 2) {
    const auto in = [&bytes](std::size_t k) { return static_cast<std::uint8_t>(bytes[k]); };
    if (in(0) >= 0x81 && in(0) <= 0xFE && in(1) >= 0x30 && in(1) <= 0x39)
      return bytes.size() >= 3 && in(2) >= 0x81 && in(2) <= 0xFE ? 3 : 2;
  }
  return 1;
}

// The bytes of up to `most` escapes in a row from text[i]; gives how many were read.
std::size_t ReadEscapes(std::u16string_view text, std::size_t i, std::size_t most, char* bytes) {
  std::size_t count = 0;
  for (; count < most; ++count) {
    const std::optional<std::uint8_t> byte = PercentByteAt(text, i + 3 * count);
    if (!byte)
      break;
    bytes[count] = static_cast<char>(*byte);
  }
  return count;
}

} // namespace

std::u16string URLEncode(std::u16string_view text, Charset charset) {
  if (charset == Charset::Gbk)
    return EncodeGbk(text);
  std::u16string out;
  out.reserve(text.size() * 9);
  // In UTF-16 a space is its two bytes, as every character is; the other ASCII characters that
  // stay literal read back as the one unit they are.
  const bool spaceAsBytes = charset == Charset::Utf16Le || charset == Charset::Utf16Be;
  for (std::size_t i = 0; i < text.size();) {
    const char16_t unit = text[i];
    if (unit < 0x80 && !(unit == u' ' && spaceAsBytes)) {
      if (unit == u' ') {
        out += u"%20";
      } else {
        out.push_back(unit);
      }
      ++i;
      continue;
    }
    const std::optional<EncodedCharacter> encoded = EncodeCharacterAt(text, i, charset);
    if (!encoded) {
      // As in code page 936: a character the charset lacks stays itself rather than becoming a
      // "?" that no decoder could bring back.
      out.push_back(unit);
      ++i;
      continue;
    }
    // A character's escapes go in with one append: a Chinese character's are nine code units.
    char16_t escapes[3 * std::size(EncodedCharacter{}.bytes)];
    char16_t* end = escapes;
    for (std::size_t k = 0; k < encoded->size; ++k)
      end = WritePercentByte(end, encoded->bytes[k]);
    out.append(escapes, end);
    i += encoded->units;
  }
  return out;
}

std::string URLEncodeUtf8Bytes(std::string_view utf8) {
  std::string out(3 * utf8.size(), '\0'); // three bytes a byte at most
  char* end = out.data();
  for (const char c : utf8) {
    if (c == ' ' || static_cast<unsigned char>(c) >= 0x80)
      end = WritePercentByte(end, static_cast<std::uint8_t>(c));
    else
      *end++ = c;
  }
  out.resize(static_cast<std::size_t>(end - out.data()));
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
      // it as alone, and one U+FFFD stands for the bytes of a sequence that is cut short.
      const auto byte = static_cast<std::uint8_t>(bytes[0]);
      const Character alone = CharacterOfBytes(std::string_view(bytes, 1), charset);
      taken = 1;
      if (byte < 0x80) {
        out.push_back(byte);
      } else if (alone.size != 0) {
        out.append(alone.view());
      } else {
        out.push_back(kReplacement);
        taken = InvalidRunLength(std::string_view(bytes, escapes), charset);
      }
    }
    i = percent + 3 * taken;
  }
  return out;
}

std::optional<std::string> URLDecodeBytes(std::u16string_view text, Charset charset, bool form) {
  std::string bytes;
  bytes.reserve(text.size());
  std::size_t escapes = 0;
  for (std::size_t i = 0; i < text.size();) {
    const char16_t c = text[i];
    if (c == u'%') {
      if (const std::optional<std::uint8_t> byte = PercentByteAt(text, i)) {
        bytes.push_back(static_cast<char>(*byte));
        ++escapes;
        i += 3;
        continue;
      }
    }
    if (c < 0x80) {
      bytes.push_back(form && c == u'+' ? ' ' : static_cast<char>(c));
      ++i;
      continue;
    }
    const std::optional<EncodedCharacter> encoded = EncodeCharacterAt(text, i, charset);
    if (!encoded)
      return std::nullopt;
    bytes.append(reinterpret_cast<const char*>(encoded->bytes), encoded->size);
    i += encoded->units;
  }
  if (escapes == 0)
    return std::nullopt;
  return bytes;
}
} // namespace kelvaro
