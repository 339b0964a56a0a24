#include "codec/escape/c_escape.h"

#include "text/hex.h"

namespace kelvaro {
namespace {

void AppendOctalByte(std::u16string& out, std::uint8_t byte) {
  const char16_t escape[] = {u'\\', static_cast<char16_t>(u'0' + (byte >> 6)),
                             static_cast<char16_t>(u'0' + (byte >> 3 & 7)),
                             static_cast<char16_t>(u'0' + (byte & 7))};
  out.append(escape, std::size(escape));
}

// Whether the quote at text[at] is itself escaped: an odd run of backslashes before it.
bool IsEscaped(std::u16string_view text, std::size_t at) {
  std::size_t backslashes = 0;
  while (backslashes < at && text[at - 1 - backslashes] == u'\\')
    ++backslashes;
  return backslashes % 2 == 1;
}

// The text inside a whole "..." (a C string, a git path) or b'...' / b"..." (Python's bytes).
std::u16string_view Unwrapped(std::u16string_view text) {
  const auto closes = [&](std::size_t open) {
    return text.size() >= open + 2 && text.back() == text[open] &&
           !IsEscaped(text, text.size() - 1);
  };
  if (!text.empty() && text.front() == u'"' && closes(0))
    return text.substr(1, text.size() - 2);
  if (text.size() >= 3 && (text[0] == u'b' || text[0] == u'B') &&
      (text[1] == u'\'' || text[1] == u'"') && closes(1))
    return text.substr(2, text.size() - 3);
  return text;
}

// The byte a single-character escape stands for, or nothing.
std::optional<char> NamedEscape(char16_t c) {
  switch (c) {
  case u'n':
    return '\n';
  case u't':
    return '\t';
  case u'r':
    return '\r';
  case u'a':
    return '\a';
  case u'b':
    return '\b';
  case u'f':
    return '\f';
  case u'v':
    return '\v';
  case u'\\':
  case u'"':
  case u'\'':
    return static_cast<char>(c);
  default:
    return std::nullopt;
  }
}

struct ReadEscape {
  char byte;
  std::size_t length; ///< units of the escape, the backslash included
  bool highByte;      ///< an octal or \x escape of a byte from 0x80
};

// The escape that begins at the backslash text[i], or nothing when none does.
std::optional<ReadEscape> EscapeAt(std::u16string_view text, std::size_t i) {
  if (i + 1 >= text.size())
    return std::nullopt;
  const char16_t c = text[i + 1];
  if (c >= u'0' && c <= u'7') {
    // Up to three digits while the value stays a byte: \777 is \77 and a 7.
    unsigned value = 0;
    std::size_t k = i + 1;
    while (k < text.size() && k < i + 4 && text[k] >= u'0' && text[k] <= u'7' &&
           value * 8 + (text[k] - u'0') <= 0xFF)
      value = value * 8 + (text[k++] - u'0');
    return ReadEscape{static_cast<char>(value), k - i, value >= 0x80};
  }
  if (c == u'x') {
    const std::optional<std::uint8_t> byte = HexByteAt(text, i + 2);
    if (!byte)
      return std::nullopt;
    return ReadEscape{static_cast<char>(*byte), 4, *byte >= 0x80};
  }
  if (const std::optional<char> named = NamedEscape(c))
    return ReadEscape{*named, 2, false};
  return std::nullopt;
}

} // namespace

std::u16string CEscape(std::u16string_view text, Charset charset) {
  const std::string bytes = EncodeText(text, charset);
  std::u16string escaped;
  escaped.reserve(bytes.size() * 2);
  for (const char signedByte : bytes) {
    const auto byte = static_cast<std::uint8_t>(signedByte);
    if (byte == '\n') {
      escaped.append(u"\\n");
    } else if (byte == '\t') {
      escaped.append(u"\\t");
    } else if (byte == '\r') {
      escaped.append(u"\\r");
    } else if (byte == '\\' || byte == '"') {
      escaped.push_back(u'\\');
      escaped.push_back(byte);
    } else if (byte < 0x20 || byte >= 0x7F) {
      AppendOctalByte(escaped, byte);
    } else {
      escaped.push_back(byte);
    }
  }
  return escaped;
}

std::u16string CUnescape(std::u16string_view text, Charset charset) {
  text = Unwrapped(text);
  std::u16string decoded;
  std::string bytes; // since the last character that stays itself
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char16_t c = text[i];
    if (c == u'\\') {
      if (const std::optional<ReadEscape> escape = EscapeAt(text, i)) {
        bytes.push_back(escape->byte);
        i += escape->length;
        continue;
      }
    }
    if (c < 0x80) {
      bytes.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    const std::optional<EncodedCharacter> encoded = EncodeCharacterAt(text, i, charset);
    if (!encoded) {
      // A character the charset lacks has no bytes to join escapes with: it stays itself.
      decoded.append(DecodeBytes(bytes, charset));
      bytes.clear();
      decoded.push_back(c);
      ++i;
      continue;
    }
    bytes.append(reinterpret_cast<const char*>(encoded->bytes), encoded->size);
    i += encoded->units;
  }
  decoded.append(DecodeBytes(bytes, charset));
  return decoded;
}

std::optional<std::string> CUnescapeBytes(std::u16string_view text) {
  text = Unwrapped(text);
  std::string bytes;
  bytes.reserve(text.size());
  bool highByte = false;
  for (std::size_t i = 0; i < text.size();) {
    const char16_t c = text[i];
    if (c >= 0x80)
      return std::nullopt;
    if (c != u'\\') {
      bytes.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    const std::optional<ReadEscape> escape = EscapeAt(text, i);
    if (!escape)
      return std::nullopt;
    bytes.push_back(escape->byte);
    highByte = highByte || escape->highByte;
    i += escape->length;
  }
  if (!highByte)
    return std::nullopt;
  return bytes;
}

} // namespace kelvaro
