#include "text/codepage.h"
#include "text/icu_converter.h"
#include "text/utf.h"

#include <algorithm>
#include <array>
#include <memory>
#include <stdexcept>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <vector>

namespace kelvaro {
namespace {

constexpr std::uint16_t kQuestionMark = 0x3F;

using icu::ConverterPtr;

const char* IcuName(CodePage codePage) {
  switch (codePage) {
  case CodePage::Gbk936:
    return "windows-936-2000";
  case CodePage::Big5_950:
    return "windows-950-2000";
  case CodePage::ShiftJis932:
    return "ibm-943_P15A-2003";
  case CodePage::EucKr949:
    return "windows-949-2000";
  case CodePage::Windows1252:
    return "windows-1252";
  case CodePage::Latin1:
    return "ISO-8859-1";
  case CodePage::Cp437:
    return "ibm-437_P100-1995";
  case CodePage::Windows1250:
    return "windows-1250";
  case CodePage::Windows1251:
    return "windows-1251";
  case CodePage::Windows1253:
    return "windows-1253";
  case CodePage::Windows1254:
    return "windows-1254";
  case CodePage::Windows1257:
    return "windows-1257";
  case CodePage::Latin2:
    return "ISO-8859-2";
  case CodePage::MacRoman:
    return "macintosh";
  }
  return "";
}

ConverterPtr OpenConverter(CodePage codePage) {
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open(IcuName(codePage), &status));
  if (U_FAILURE(status))
    throw std::runtime_error("ICU has no converter for the code page");
  ucnv_setToUCallBack(converter.get(), icu::WriteReplacement, nullptr, nullptr, nullptr, &status);
  return converter;
}

// Both directions of one code page as tables, each built from ICU once. Encoding: the whole
// range of code units in one bulk call. Decoding: every single byte and every pair of bytes asked
// on its own, which is all a double-byte code page's converter ever looks at.
class CodePageTables {
public:
  explicit CodePageTables(CodePage codePage) {
    const ConverterPtr converter = OpenConverter(codePage);
    BuildEncoding(converter.get());
    BuildDecoding(converter.get());
    KeepRoundTrips();
    for (char16_t unit = 0; unit < 0x80; ++unit)
      keepsAscii = keepsAscii && shownAs[unit] == unit;
  }

  std::vector<std::uint16_t> codeOf = std::vector<std::uint16_t>(0x10000, kQuestionMark);
  std::vector<char16_t> shownAs = std::vector<char16_t>(0x10000, u'?');
  std::array<char16_t, 256> byteUnit{};
  /// A pair's character; U+FFFD for a pair that is bad as a whole; 0 where the lead is bad alone
  /// and its second byte begins the next sequence.
  std::vector<char16_t> pairUnit = std::vector<char16_t>(0x10000, 0);
  bool keepsAscii = true; ///< every ASCII unit shown as itself

private:
  void BuildEncoding(UConverter* converter) {
    // A few thousand units a call, through buffers that stay small: on the virtual machines this
    // runs on, every fresh page of a buffer costs about ten microseconds, and a buffer for all
    // 65 536 units at once cost more than the conversion.
    constexpr std::size_t kChunk = 4096;
    std::array<UChar, kChunk> units{};
    std::array<char, kChunk * 4> bytes{};
    std::array<int32_t, kChunk * 4> offsets{};
    ucnv_reset(converter);
    UErrorCode status = U_ZERO_ERROR;
    // The code units the code page lacks are skipped; the offsets say which unit each byte of
    // the rest came from.
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_SKIP, nullptr, nullptr, nullptr, &status);
    for (std::uint32_t first = 0; first < 0x10000; first += kChunk) {
      std::size_t count = 0;
      for (std::uint32_t unit = first; unit < first + kChunk; ++unit) {
        if (unit < 0xD800 || unit > 0xDFFF)
          units[count++] = static_cast<UChar>(unit);
      }
      char* target = bytes.data();
      const UChar* source = units.data();
      ucnv_fromUnicode(converter, &target, bytes.data() + bytes.size(), &source,
                       units.data() + count, offsets.data(), true, &status);
      if (U_FAILURE(status))
        throw std::runtime_error("ICU could not encode the code page's table");
      const auto written = static_cast<std::size_t>(target - bytes.data());
      for (std::size_t k = 0; k < written;) {
        std::size_t length = 1;
        while (k + length < written && offsets[k + length] == offsets[k])
          ++length;
        const char16_t unit = units[static_cast<std::size_t>(offsets[k])];
        const auto b0 = static_cast<unsigned char>(bytes[k]);
        if (length <= 2) {
          shownAs[unit] = unit;
          codeOf[unit] =
              length == 1
                  ? b0
                  : static_cast<std::uint16_t>(b0 << 8 | static_cast<unsigned char>(bytes[k + 1]));
        }
        k += length;
      }
    }
  }

  // ICU encodes some private-use characters by one-way mappings whose bytes decode to another
  // character (U+F86F gives 87 82 in Shift_JIS, which reads as U+2116). A code unit the code page
  // cannot give back counts as one it lacks, so that what it encodes always decodes to it.
  void KeepRoundTrips() {
    for (std::uint32_t unit = 0; unit < 0x10000; ++unit) {
      const std::uint16_t code = codeOf[unit];
      if (shownAs[unit] == u'?')
        continue;
      const char16_t back = code <= 0xFF ? byteUnit[code] : pairUnit[code];
      if (back != unit) {
        codeOf[unit] = kQuestionMark;
        shownAs[unit] = u'?';
      }
    }
  }

  void BuildDecoding(UConverter* converter) {
    UChar unit;
    for (int b = 0; b < 0x100; ++b) {
      const char byte = static_cast<char>(b);
      UErrorCode status = U_ZERO_ERROR;
      ucnv_reset(converter);
      const int32_t n = ucnv_toUChars(converter, &unit, 1, &byte, 1, &status);
      byteUnit[b] = U_SUCCESS(status) && n == 1 ? unit : kReplacement;
    }
    // Every pair of a lead at once, each followed by a line feed (never a trail byte, always a
    // character of its own) so that the converter is back at a character's start for the next:
    // one call a lead rather than one a pair, which made building a table cost milliseconds of
    // every command. The offsets tell which units the lead and trail gave.
    constexpr int kStride = 3;
    std::array<char, 256 * kStride> bytes{};
    std::array<UChar, 256 * kStride * 2> units{};
    std::array<int32_t, units.size()> offsets{};
    for (int lead = 0x80; lead < 0x100; ++lead) {
      for (int trail = 0; trail < 0x100; ++trail) {
        bytes[trail * kStride] = static_cast<char>(lead);
        bytes[trail * kStride + 1] = static_cast<char>(trail);
        bytes[trail * kStride + 2] = '\n';
      }
      UErrorCode status = U_ZERO_ERROR;
      ucnv_reset(converter);
      UChar* target = units.data();
      const char* source = bytes.data();
      ucnv_toUnicode(converter, &target, units.data() + units.size(), &source,
                     bytes.data() + bytes.size(), offsets.data(), true, &status);
      if (U_FAILURE(status))
        throw std::runtime_error("ICU could not decode the code page's pairs");
      // How many units each pair gave, and the last of them.
      std::array<int, 256> given{};
      std::array<char16_t, 256> last{};
      for (std::size_t k = 0; k < static_cast<std::size_t>(target - units.data()); ++k) {
        const int at = offsets[k];
        if (at < 0 || at % kStride == 2)
          continue; // the line feed
        ++given[at / kStride];
        last[at / kStride] = units[k];
      }
      bool isLead = false;
      for (int trail = 0; trail < 0x100; ++trail) {
        // One unit: a character, or U+FFFD for a pair that is bad as a whole; either way the
        // converter read the two bytes as one sequence, so the first is a lead byte.
        if (given[trail] == 1) {
          pairUnit[lead << 8 | trail] = last[trail];
          isLead = true;
        }
      }
      if (isLead)
        byteUnit[lead] = kLeadByte;
    }
  }
};

template <CodePage kCodePage> const CodePageTables& TablesOf() {
  static const CodePageTables tables(kCodePage);
  return tables;
}

const CodePageTables& Tables(CodePage codePage) {
  switch (codePage) {
  case CodePage::Gbk936:
    return TablesOf<CodePage::Gbk936>();
  case CodePage::Big5_950:
    return TablesOf<CodePage::Big5_950>();
  case CodePage::ShiftJis932:
    return TablesOf<CodePage::ShiftJis932>();
  case CodePage::EucKr949:
    return TablesOf<CodePage::EucKr949>();
  case CodePage::Windows1252:
    return TablesOf<CodePage::Windows1252>();
  case CodePage::Cp437:
    return TablesOf<CodePage::Cp437>();
  case CodePage::Windows1250:
    return TablesOf<CodePage::Windows1250>();
  case CodePage::Windows1251:
    return TablesOf<CodePage::Windows1251>();
  case CodePage::Windows1253:
    return TablesOf<CodePage::Windows1253>();
  case CodePage::Windows1254:
    return TablesOf<CodePage::Windows1254>();
  case CodePage::Windows1257:
    return TablesOf<CodePage::Windows1257>();
  case CodePage::Latin2:
    return TablesOf<CodePage::Latin2>();
  case CodePage::MacRoman:
    return TablesOf<CodePage::MacRoman>();
  case CodePage::Latin1:
    break;
  }
  return TablesOf<CodePage::Latin1>();
}

} // namespace

std::uint16_t AnsiCodeOfUnit(char16_t unit, CodePage codePage) {
  return Tables(codePage).codeOf[unit];
}

const std::uint16_t* AnsiCodeTable(CodePage codePage) { return Tables(codePage).codeOf.data(); }

bool IsInCodePage(char16_t unit, CodePage codePage) {
  return unit == u'?' || Tables(codePage).shownAs[unit] != u'?';
}

CodePageDecoder DecoderOf(CodePage codePage) {
  const CodePageTables& tables = Tables(codePage);
  return {tables.byteUnit.data(), tables.pairUnit.data()};
}

char16_t UnitOfByte(std::uint8_t byte, CodePage codePage) {
  return DecoderOf(codePage).unitOfByte(byte);
}

char16_t UnitOfPair(std::uint8_t lead, std::uint8_t trail, CodePage codePage) {
  return DecoderOf(codePage).unitOfPair(lead, trail);
}

std::string BytesOfCodes(std::u16string_view text, const std::uint16_t* codeOf) {
  std::string bytes(text.size() * 2, '\0'); // two bytes a code unit at most
  auto* out = reinterpret_cast<std::uint8_t*>(bytes.data());
  for (const char16_t unit : text) {
    const std::uint16_t code = codeOf[unit];
    if (code > 0xFF)
      *out++ = static_cast<std::uint8_t>(code >> 8);
    *out++ = static_cast<std::uint8_t>(code & 0xFF);
  }
  bytes.resize(static_cast<std::size_t>(out - reinterpret_cast<std::uint8_t*>(bytes.data())));
  return bytes;
}

std::size_t AppendUtf8AsCodeBytes(std::string& bytes, std::string_view utf8,
                                  const std::uint16_t* codeOf, const std::uint16_t* lacking) {
  // A byte of UTF-8 gives at most one byte here (a three-byte character two, a four-byte one two
  // units of two bytes each at most), so the bytes are sized once and written through a pointer.
  const std::size_t start = bytes.size();
  bytes.resize(start + utf8.size());
  auto* out = reinterpret_cast<std::uint8_t*>(bytes.data() + start);
  std::size_t lacked = 0;
  const auto put = [&](char16_t unit) {
    std::uint16_t code = codeOf[unit];
    if (lacking != nullptr && lacking[unit] == kQuestionMark && unit != u'?') {
      code = kQuestionMark;
      lacked += !IsLowSurrogate(unit); // a pair's two halves are one character
    }
    if (code > 0xFF)
      *out++ = static_cast<std::uint8_t>(code >> 8);
    *out++ = static_cast<std::uint8_t>(code);
  };
  for (std::size_t i = 0; i < utf8.size();) {
    const Utf8Character character = Utf8CharacterOfValidAt(utf8, i);
    if (character.codePoint < 0x10000) {
      put(static_cast<char16_t>(character.codePoint));
    } else {
      char16_t pair[2];
      WriteCodePoint(pair, character.codePoint);
      put(pair[0]);
      put(pair[1]);
    }
    i += character.length;
  }
  bytes.resize(static_cast<std::size_t>(out - reinterpret_cast<std::uint8_t*>(bytes.data())));
  return lacked;
}

std::string ToAnsiBytes(std::u16string_view text, CodePage codePage) {
  return BytesOfCodes(text, AnsiCodeTable(codePage));
}

std::u16string FromAnsiBytes(std::string_view bytes, CodePage codePage) {
  const CodePageTables& tables = Tables(codePage);
  std::u16string text(bytes.size(), u'\0'); // one code unit a byte at most
  char16_t* out = text.data();
  const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    const char16_t single = tables.byteUnit[in[i]];
    if (single != kLeadByte) {
      *out++ = single;
      ++i;
    } else if (i + 1 == n) {
      *out++ = kReplacement; // a lead byte at the very end
      ++i;
    } else if (const char16_t pair = tables.pairUnit[in[i] << 8 | in[i + 1]]; pair != 0) {
      *out++ = pair;
      i += 2;
    } else {
      *out++ = kReplacement;
      ++i;
    }
  }
  text.resize(static_cast<std::size_t>(out - text.data()));
  return text;
}

void AppendAnsiCodeChars(std::u16string& out, std::uint16_t code, CodePage codePage) {
  const CodePageTables& tables = Tables(codePage);
  const auto alone = [&](std::uint8_t byte) {
    const char16_t single = tables.byteUnit[byte];
    out.push_back(single == kLeadByte ? kReplacement : single);
  };
  if (code <= 0xFF) {
    alone(static_cast<std::uint8_t>(code));
    return;
  }
  const auto high = static_cast<std::uint8_t>(code >> 8);
  if (tables.byteUnit[high] == kLeadByte) {
    if (const char16_t pair = tables.pairUnit[code]; pair != 0) {
      out.push_back(pair);
      return;
    }
    out.push_back(kReplacement); // the lead byte is bad alone; its second byte is read again
  } else {
    alone(high);
  }
  alone(static_cast<std::uint8_t>(code & 0xFF));
}

std::size_t ReplaceMissing(std::span<char16_t> units, CodePage codePage) {
  const CodePageTables& tables = Tables(codePage);
  const char16_t* shownAs = tables.shownAs.data();
  // Every box passes through here, input and result, so a run of ASCII is skipped with one test
  // the compiler vectorises (Base64, hex and escapes are nothing else); the other runs go through
  // the table.
  constexpr std::size_t kRun = 32;
  std::size_t replaced = 0;
  for (std::size_t i = 0; i < units.size();) {
    const std::size_t end = std::min(units.size(), i + kRun);
    if (tables.keepsAscii && end - i == kRun) {
      char16_t any = 0;
      for (std::size_t k = i; k < end; ++k)
        any |= units[k];
      if (any < 0x80) {
        i = end;
        continue;
      }
    }
    for (; i < end; ++i) {
      const char16_t shown = shownAs[units[i]];
      replaced += shown != units[i];
      units[i] = shown;
    }
  }
  return replaced;
}

} // namespace kelvaro
