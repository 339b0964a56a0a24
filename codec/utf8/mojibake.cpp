#include "codec/utf8/mojibake.h"

#include "text/chars.h"
#include "text/codepage.h"
#include "text/utf.h"

#include <algorithm>
#include <unicode/uchar.h>
#include <vector>

namespace kelvaro {
namespace {

// Simple case mapping, one code unit for one. ASCII and the caseless scripts from kana to Yi
// (the Chinese characters among them) skip the library call.
char16_t ToLowerUnit(char16_t unit) {
  if (unit < 0x80)
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 0x20) : unit;
  if ((unit >= 0x3040 && unit < 0xA640) || (unit >= 0xD800 && unit <= 0xDFFF))
    return unit;
  return static_cast<char16_t>(u_tolower(unit));
}

// The character of each pair lead 0x81..0xFE, trail 0x40..0xFF, or 0 where the pair is none.
// Read once from AppendAnsiCodeChars so that the hot loop below is a load per pair, not a call.
class PairTable {
public:
  PairTable() : m_unit(kLeads * 256, u'\0') {
    std::u16string scratch;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F)
          continue;
        scratch.clear();
        AppendAnsiCodeChars(scratch, static_cast<std::uint16_t>(lead << 8 | trail));
        if (scratch.size() == 1 && scratch[0] != kReplacement) {
          m_unit[(lead - 0x81) * 256 + trail] = scratch[0];
        }
      }
    }
  }
  [[nodiscard]] char16_t unit(unsigned lead, unsigned trail) const {
    return m_unit[(lead - 0x81) * 256 + trail];
  }

private:
  static constexpr unsigned kLeads = 0xFE - 0x81 + 1;
  static constexpr char16_t kReplacement = 0xFFFD;
  std::vector<char16_t> m_unit;
};

// FromAnsiBytes in code page 936, a pair at a time through the table: several times faster than
// the converter on text that is mostly double-byte, and the same units. A pair that is no
// character leaves U+FFFD and whatever its trail byte reads as alone, except that a trail byte
// that could itself lead a pair is read again with the byte after it, as the converter does.
// Appends to text and gives the number of bytes read: unless `last`, a lead byte at the very end
// waits for the next piece.
std::size_t DecodeCodePage936(std::string_view bytes, bool last, std::u16string& text) {
  static const PairTable kPairs;
  const std::size_t start = text.size();
  text.resize(start + bytes.size()); // never more units than bytes
  char16_t* write = text.data() + start;
  const std::size_t n = bytes.size();
  std::u16string odd;
  std::size_t i = 0;
  while (i < n) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) { // the code page's ASCII half is ASCII
      *write++ = lead;
      ++i;
      continue;
    }
    const bool isLead = lead >= 0x81 && lead <= 0xFE;
    if (isLead && i + 1 == n && !last)
      break;
    const bool pair = isLead && i + 1 < n;
    const unsigned trail = pair ? static_cast<unsigned char>(bytes[i + 1]) : 0u;
    if (pair) {
      if (const char16_t unit = kPairs.unit(lead, trail); unit != 0) {
        *write++ = unit;
        i += 2;
        continue;
      }
    }
    odd.clear();
    AppendAnsiCodeChars(odd, pair ? static_cast<std::uint16_t>(lead << 8 | trail) : lead);
    if (pair && odd.size() == 2 && trail >= 0x81 && trail != 0xFF) {
      odd.pop_back();
      i += 1;
    } else {
      i += pair ? 2 : 1;
    }
    for (const char16_t unit : odd)
      *write++ = unit;
  }
  text.resize(static_cast<std::size_t>(write - text.data()));
  return i;
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

std::u16string MakeUtf8Mojibake(std::u16string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && text[begin] == u' ')
    ++begin;
  while (end > begin && text[end - 1] == u' ')
    --end;

  // Blocks of the text go through every step while they are in cache; only the result is large.
  // A block never ends inside a CR LF pair or a surrogate pair, so each step sees whole units.
  constexpr std::size_t kBlock = 16384;
  std::u16string result;
  result.reserve(3 * (end - begin) + 1); // one unit per UTF-8 byte at most
  std::u16string lower;
  lower.reserve(kBlock + 1);
  std::string pending;
  for (std::size_t pos = begin; pos < end;) {
    std::size_t stop = std::min(end, pos + kBlock);
    if (stop < end &&
        (text[stop - 1] == u'\r' || (text[stop - 1] >= 0xD800 && text[stop - 1] <= 0xDBFF))) {
      ++stop;
    }
    // Lower-casing and the full-width forms neither make nor take a CR or LF, so the CR LF pairs
    // can go in the same pass as the case.
    lower.clear();
    for (std::size_t i = pos; i < stop; ++i) {
      if (text[i] == u'\r' && i + 1 < stop && text[i + 1] == u'\n') {
        ++i;
        continue;
      }
      lower.push_back(ToLowerUnit(text[i]));
    }
    pending += Utf16ToUtf8(ToFullWidth(lower));
    pending.erase(0, DecodeCodePage936(pending, false, result));
    pos = stop;
  }
  pending.push_back('\0'); // the terminator ToUtf8Bytes adds
  DecodeCodePage936(pending, true, result);
  return result;
}

std::u16string RepairUtf8Mojibake(std::u16string_view text) {
  return FromUtf8Bytes(ToAnsiBytes(text));
}

} // namespace kelvaro
