#include "codec/text-encodings/quoted_printable.h"

#include "text/hex.h"

namespace kelvaro {
namespace {

// RFC 2045's limit on an encoded line, the "=" of a soft break included.
constexpr std::size_t kLineLimit = 76;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// The length of the line break at text[i] (CR LF 2, a lone CR or LF 1), or 0.
std::size_t LineBreakAt(std::u16string_view text, std::size_t i) {
  if (text[i] == u'\n')
    return 1;
  if (text[i] != u'\r')
    return 0;
  return i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
}

void EncodeLine(std::u16string& out, std::string_view bytes) {
  std::size_t column = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(bytes[i]);
    const bool last = i + 1 == bytes.size();
    const bool literal =
        (byte >= 33 && byte <= 126 && byte != '=') || ((byte == ' ' || byte == '\t') && !last);
    const std::size_t width = literal ? 1 : 3;
    // The line's last token may take the column a soft break's "=" would need.
    if (column + width > kLineLimit - 1 && !(last && column + width <= kLineLimit)) {
      out.append(u"=\r\n");
      column = 0;
    }
    if (literal) {
      out.push_back(byte);
    } else {
      out.push_back(u'=');
      AppendHexByte(out, byte);
    }
    column += width;
  }
}

struct Reading {
  bool otherCharacters = false; ///< a character outside ASCII, or an "=" that begins nothing
  bool highByte = false;        ///< an escape of a byte from 0x80
};

// Reads quoted-printable a line at a time, telling `byte` every byte, `hardBreak` every hard line
// break and `other` every unit that stands for itself (an "=" that begins nothing, a character
// outside ASCII).
template <class OnByte, class OnHardBreak, class OnOther>
Reading ReadQuotedPrintable(std::u16string_view text, OnByte byte, OnHardBreak hardBreak,
                            OnOther other) {
  Reading reading;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = start;
    while (end < text.size() && LineBreakAt(text, end) == 0)
      ++end;
    const std::size_t breakLength = end < text.size() ? LineBreakAt(text, end) : 0;
    // Blanks at a line's end were added in transport: the encoder writes them as =20 and =09.
    std::size_t contentEnd = end;
    while (contentEnd > start && IsBlank(text[contentEnd - 1]))
      --contentEnd;
    const bool soft = contentEnd > start && text[contentEnd - 1] == u'=';
    if (soft)
      --contentEnd;
    for (std::size_t i = start; i < contentEnd;) {
      const char16_t c = text[i];
      if (c == u'=') {
        if (const std::optional<std::uint8_t> value = HexByteAt(text.substr(0, contentEnd), i + 1)) {
          byte(static_cast<char>(*value));
          reading.highByte = reading.highByte || *value >= 0x80;
          i += 3;
          continue;
        }
      }
      if (c == u'=' || c >= 0x80) {
        reading.otherCharacters = true;
        other(c);
      } else {
        byte(static_cast<char>(c));
      }
      ++i;
    }
    if (breakLength == 0)
      break;
    if (!soft)
      hardBreak();
    start = end + breakLength;
  }
  return reading;
}

} // namespace

std::u16string QuotedPrintableEncode(std::u16string_view text, Charset charset) {
  std::u16string encoded;
  encoded.reserve(text.size() * 3);
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = start;
    while (end < text.size() && LineBreakAt(text, end) == 0)
      ++end;
    EncodeLine(encoded, EncodeText(text.substr(start, end - start), charset));
    if (end == text.size())
      break;
    encoded.append(u"\r\n");
    start = end + LineBreakAt(text, end);
  }
  return encoded;
}

std::u16string QuotedPrintableDecode(std::u16string_view text, Charset charset) {
  std::u16string decoded;
  decoded.reserve(text.size());
  std::string bytes; // of the line so far, decoded at its end or before a unit that stands alone
  const auto flush = [&] {
    decoded.append(DecodeBytes(bytes, charset));
    bytes.clear();
  };
  ReadQuotedPrintable(
      text, [&](char byte) { bytes.push_back(byte); },
      [&] {
        flush();
        decoded.append(u"\r\n");
      },
      [&](char16_t unit) {
        flush();
        decoded.push_back(unit);
      });
  flush();
  return decoded;
}

std::optional<std::string> QuotedPrintableDecodeBytes(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  const Reading reading = ReadQuotedPrintable(
      text, [&](char byte) { bytes.push_back(byte); }, [&] { bytes.append("\r\n"); },
      [](char16_t) {});
  if (reading.otherCharacters || !reading.highByte)
    return std::nullopt;
  return bytes;
}

} // namespace kelvaro
