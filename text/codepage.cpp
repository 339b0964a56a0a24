#include "text/codepage.h"

#include <array>
#include <memory>
#include <stdexcept>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <vector>

namespace kelvaro {
namespace {

constexpr std::uint16_t kQuestionMark = 0x3F;
constexpr char16_t kReplacement = 0xFFFD;

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

const char* IcuName(CodePage codePage) {
  return codePage == CodePage::Gbk936 ? "windows-936-2000" : "windows-950-2000";
}

// ICU writes U+001A for "unassigned" and U+FFFD for "illegal" by default; the boxes promise
// U+FFFD for every sequence that forms no character.
void WriteReplacement(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                      UConverterCallbackReason reason, UErrorCode* status) {
  if (reason > UCNV_IRREGULAR)
    return; // reset, close or clone: nothing to substitute
  *status = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, status);
}

ConverterPtr OpenConverter(CodePage codePage) {
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open(IcuName(codePage), &status));
  if (U_FAILURE(status))
    throw std::runtime_error("ICU has no converter for the code page");
  ucnv_setToUCallBack(converter.get(), WriteReplacement, nullptr, nullptr, nullptr, &status);
  ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
  return converter;
}

// A converter carries state, so each thread keeps its own, opened once.
UConverter* ThreadConverter(CodePage codePage) {
  thread_local std::array<ConverterPtr, 2> converters;
  auto& slot = converters[codePage == CodePage::Gbk936 ? 0 : 1];
  if (!slot)
    slot = OpenConverter(codePage);
  ucnv_reset(slot.get());
  return slot.get();
}

// The whole encoding direction as one table: one ICU call per code unit, once per process, and
// from then on a conversion costs a load per character.
struct EncodeTable {
  std::vector<std::uint16_t> codeOf = std::vector<std::uint16_t>(0x10000, kQuestionMark);
  /// The unit itself where the code page has it, "?" where it lacks it.
  std::vector<char16_t> shownAs = std::vector<char16_t>(0x10000, u'?');

  // Every code unit but the surrogates in one ICU call, which skips those the code page lacks;
  // the offsets say which unit each byte came from.
  explicit EncodeTable(CodePage codePage) {
    std::vector<UChar> units;
    units.reserve(0x10000);
    for (std::uint32_t unit = 0; unit < 0x10000; ++unit) {
      if (unit < 0xD800 || unit > 0xDFFF)
        units.push_back(static_cast<UChar>(unit));
    }
    std::vector<char> bytes(units.size() * 4);
    std::vector<int32_t> offsets(bytes.size());
    ConverterPtr converter = OpenConverter(codePage);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_SKIP, nullptr, nullptr, nullptr,
                          &status);
    char* target = bytes.data();
    const UChar* source = units.data();
    ucnv_fromUnicode(converter.get(), &target, bytes.data() + bytes.size(), &source,
                     units.data() + units.size(), offsets.data(), true, &status);
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
};

const EncodeTable& Encoder(CodePage codePage) {
  if (codePage == CodePage::Gbk936) {
    static const EncodeTable table(CodePage::Gbk936);
    return table;
  }
  static const EncodeTable table(CodePage::Big5_950);
  return table;
}

// Decoding of every one- and two-byte code that gives exactly one code unit; 0 marks a code that
// needs the converter (bad sequences, or two single bytes such as 0x4142).
struct DecodeTable {
  std::vector<char16_t> unitOf = std::vector<char16_t>(0x10000, 0);

  explicit DecodeTable(CodePage codePage) {
    ConverterPtr converter = OpenConverter(codePage);
    auto decode = [&](const char* bytes, int32_t length) -> char16_t {
      UChar units[4];
      UErrorCode status = U_ZERO_ERROR;
      ucnv_reset(converter.get());
      const int32_t n = ucnv_toUChars(converter.get(), units, 4, bytes, length, &status);
      return U_SUCCESS(status) && n == 1 ? units[0] : char16_t{0};
    };
    for (int b = 1; b < 0x100; ++b) {
      const char byte = static_cast<char>(b);
      unitOf[b] = decode(&byte, 1);
    }
    for (int lead = 0x81; lead < 0xFF; ++lead) {
      for (int trail = 0x40; trail < 0xFF; ++trail) {
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        const char16_t unit = decode(pair, 2);
        if (unit != kReplacement)
          unitOf[lead << 8 | trail] = unit;
      }
    }
  }
};

const DecodeTable& Decoder(CodePage codePage) {
  if (codePage == CodePage::Gbk936) {
    static const DecodeTable table(CodePage::Gbk936);
    return table;
  }
  static const DecodeTable table(CodePage::Big5_950);
  return table;
}

} // namespace

CodePage CodePageOfLocale(int locale) {
  return locale == kLocaleChineseTaiwan ? CodePage::Big5_950 : CodePage::Gbk936;
}

std::uint16_t AnsiCodeOfUnit(char16_t unit, CodePage codePage) {
  return Encoder(codePage).codeOf[unit];
}

const std::uint16_t* AnsiCodeTable(CodePage codePage) { return Encoder(codePage).codeOf.data(); }

bool IsInCodePage936(char16_t unit) {
  return unit == u'?' || Encoder(CodePage::Gbk936).shownAs[unit] != u'?';
}

const char16_t* TextBoxUnitTable() { return Encoder(CodePage::Gbk936).shownAs.data(); }

void ReplaceMissingFrom936(std::span<char16_t> units) {
  const char16_t* shownAs = TextBoxUnitTable();
  for (char16_t& unit : units)
    unit = shownAs[unit];
}

std::size_t WriteAnsiBytes(std::u16string_view text, char* bytes, int locale) {
  const std::uint16_t* codeOf = Encoder(CodePageOfLocale(locale)).codeOf.data();
  auto* out = reinterpret_cast<unsigned char*>(bytes);
  for (const char16_t unit : text) {
    const unsigned code = codeOf[unit];
    // Both bytes are stored and the pointer moves by the code's length, so the loop has no
    // branch that depends on the text: a double-byte code is shifted by eight for its lead byte.
    const unsigned twoBytes = code > 0xFF;
    out[0] = static_cast<unsigned char>(code >> (twoBytes << 3));
    out[1] = static_cast<unsigned char>(code);
    out += 1 + twoBytes;
  }
  return static_cast<std::size_t>(out - reinterpret_cast<unsigned char*>(bytes));
}

std::string ToAnsiBytes(std::u16string_view text, int locale) {
  std::string bytes;
  bytes.resize(text.size() * 2 + 1);
  bytes.resize(WriteAnsiBytes(text, bytes.data(), locale));
  return bytes;
}

std::u16string FromAnsiBytes(std::string_view bytes, int locale) {
  std::u16string text;
  if (bytes.empty())
    return text;
  // Every byte decodes to at most one code unit (a pair to one, a bad byte to one U+FFFD).
  text.resize(bytes.size() + 1);
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = ucnv_toUChars(
      ThreadConverter(CodePageOfLocale(locale)), reinterpret_cast<UChar*>(text.data()),
      static_cast<int32_t>(text.size()), bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status))
    throw std::runtime_error("code page decoding failed");
  text.resize(static_cast<std::size_t>(length));
  return text;
}

void AppendAnsiCodeChars(std::u16string& out, std::uint16_t code, CodePage codePage) {
  const auto& unitOf = Decoder(codePage).unitOf;
  if (code == 0) {
    out.push_back(u'\0');
    return;
  }
  if (const char16_t unit = unitOf[code]; unit != 0) {
    out.push_back(unit);
    return;
  }
  if (code < 0x100) {
    out.push_back(kReplacement);
    return;
  }
  const char pair[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
  out += FromAnsiBytes(std::string_view(pair, 2),
                       codePage == CodePage::Gbk936 ? kLocaleSystem : kLocaleChineseTaiwan);
}

} // namespace kelvaro
