#include "codec/utf8/url_encoding.h"

#include "text/hex.h"
#include "text/codepage.h"

#include <cstdint>

namespace kelvaro {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// "%" and the hexadecimal digits of a byte without a leading zero, as the encoder has always
// written them. Lead bytes (0x81 and up) and trail bytes (0x40 and up) always have two digits.
char16_t* WriteEscape(char16_t* out, unsigned byte) {
  *out++ = u'%';
  if (byte >= 0x10)
    *out++ = kHexUpper[byte >> 4];
  *out++ = kHexUpper[byte & 0xF];
  return out;
}

// Units encoded per step into a local buffer, which is then appended at once.
constexpr std::size_t kChunkUnits = 4096;

// Appends the double-byte character of lead and trail and says whether there is one. Bytes that
// are no character leave nothing behind.
bool AppendDoubleByteChar(std::u16string& out, int lead, int trail) {
  // Trail bytes of code page 936 are 0x40..0xFE without 0x7F; others cannot pair.
  if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail == 0x7F || trail > 0xFE)
    return false;
  const std::size_t before = out.size();
  AppendAnsiCodeChars(out, static_cast<std::uint16_t>(lead << 8 | trail));
  if (out.size() == before + 1 && out.back() != kReplacement)
    return true;
  out.resize(before);
  return false;
}

} // namespace

std::u16string URLEncode(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() * 6);
  const std::uint16_t* codeOf = AnsiCodeTable();
  char16_t buffer[kChunkUnits * 6];
  for (std::size_t start = 0; start < text.size(); start += kChunkUnits) {
    char16_t* write = buffer;
    for (const char16_t unit : text.substr(start, kChunkUnits)) {
      const std::uint16_t code = codeOf[unit];
      if (unit == u' ') {
        write[0] = u'%', write[1] = u'2', write[2] = u'0';
        write += 3;
      } else if (code <= 0xFF) {
        // The character itself, not its code-page form: characters the code page lacks stay too,
        // and so does U+F8F5, whose code is the single byte 0xFF.
        *write++ = unit;
      } else {
        write = WriteEscape(WriteEscape(write, code >> 8), code & 0xFF);
      }
    }
    out.append(buffer, static_cast<std::size_t>(write - buffer));
  }
  return out;
}

std::u16string URLDecode(std::u16string_view text) {
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
    const int first = HexByteAt(text, percent + 1);
    if (first < 0) {
      out.push_back(u'%');
      i = percent + 1;
      continue;
    }
    if (first >= 0x81 && percent + 3 < text.size() && text[percent + 3] == u'%') {
      const int second = HexByteAt(text, percent + 4);
      if (second >= 0 && AppendDoubleByteChar(out, first, second)) {
        i = percent + 6;
        continue;
      }
    }
    AppendAnsiCodeChars(out, static_cast<std::uint16_t>(first));
    i = percent + 3;
  }
  return out;
}

} // namespace kelvaro
