#include "text/charset.h"

#include "text/ascii.h"
#include "text/icu_converter.h"
#include "text/utf.h"

#include <algorithm>
#include <array>
#include <memory>
#include <stdexcept>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

namespace kelvaro {
namespace {

constexpr CharsetInfo kCharsets[] = {
    {Charset::Gbk, "gbk", "cp936", u"GBK", 2, false, CodePage::Gbk936, "GBK"},
    {Charset::Gb18030, "gb18030", "", u"GB18030", 4, true, std::nullopt, "GB18030"},
    {Charset::Big5, "big5", "cp950", u"BIG5", 2, false, CodePage::Big5_950, "Big5"},
    {Charset::Utf8, "utf-8", "", u"UTF-8", 4, true, std::nullopt, "UTF-8"},
    {Charset::Utf16Le, "utf-16le", "", u"UTF-16LE", 4, true, std::nullopt, "UTF-16LE"},
    {Charset::Utf16Be, "utf-16be", "", u"UTF-16BE", 4, true, std::nullopt, "UTF-16BE"},
    {Charset::ShiftJis, "shift_jis", "cp932", u"Shift_JIS", 2, false, CodePage::ShiftJis932,
     "Shift_JIS"},
    {Charset::EucKr, "euc-kr", "cp949", u"EUC-KR", 2, false, CodePage::EucKr949, "EUC-KR"},
    {Charset::Windows1252, "windows-1252", "", u"Windows-1252", 1, false, CodePage::Windows1252,
     "windows-1252"},
    {Charset::Iso8859_1, "iso-8859-1", "", u"ISO-8859-1", 1, false, CodePage::Latin1, "ISO-8859-1"},
    {Charset::Cp437, "cp437", "ibm437", u"CP437", 1, false, CodePage::Cp437, "IBM437"},
    {Charset::Windows1250, "windows-1250", "cp1250", u"Windows-1250", 1, false,
     CodePage::Windows1250, "windows-1250"},
    {Charset::Windows1251, "windows-1251", "cp1251", u"Windows-1251", 1, false,
     CodePage::Windows1251, "windows-1251"},
    {Charset::Windows1253, "windows-1253", "cp1253", u"Windows-1253", 1, false,
     CodePage::Windows1253, "windows-1253"},
    {Charset::Windows1254, "windows-1254", "cp1254", u"Windows-1254", 1, false,
     CodePage::Windows1254, "windows-1254"},
    {Charset::Windows1257, "windows-1257", "cp1257", u"Windows-1257", 1, false,
     CodePage::Windows1257, "windows-1257"},
    {Charset::Iso8859_2, "iso-8859-2", "latin2", u"ISO-8859-2", 1, false, CodePage::Latin2,
     "ISO-8859-2"},
    {Charset::Macintosh, "macintosh", "mac-roman", u"Macintosh", 1, false, CodePage::MacRoman,
     "macintosh"},
};

// The other names iconv takes for these charsets (and a few that mail and web pages write, such
// as x-mac-roman), so that a name copied from a script or a mail header is understood. GB2312 and
// EUC-CN are read as GBK: their bytes are a part of it, and text labelled GB2312 is usually GBK.
struct OtherName {
  std::string_view name;
  Charset charset;
};

constexpr OtherName kOtherNames[] = {
    {"gb2312", Charset::Gbk},
    {"ms936", Charset::Gbk},
    {"windows-936", Charset::Gbk},
    {"euc-cn", Charset::Gbk},
    {"euccn", Charset::Gbk},
    {"csgb2312", Charset::Gbk},
    {"cn-gb", Charset::Gbk},
    {"gb-18030", Charset::Gb18030},
    {"big-5", Charset::Big5},
    {"big-five", Charset::Big5},
    {"bigfive", Charset::Big5},
    {"cn-big5", Charset::Big5},
    {"csbig5", Charset::Big5},
    {"utf8", Charset::Utf8},
    {"iso-10646/utf-8", Charset::Utf8},
    {"iso-10646/utf8", Charset::Utf8},
    {"utf16le", Charset::Utf16Le},
    {"unicodelittle", Charset::Utf16Le},
    {"utf16be", Charset::Utf16Be},
    {"unicodebig", Charset::Utf16Be},
    {"shift-jis", Charset::ShiftJis},
    {"sjis", Charset::ShiftJis},
    {"ms_kanji", Charset::ShiftJis},
    {"csshiftjis", Charset::ShiftJis},
    {"ms932", Charset::ShiftJis},
    {"ibm-932", Charset::ShiftJis},
    {"ibm932", Charset::ShiftJis},
    {"windows-31j", Charset::ShiftJis},
    {"euckr", Charset::EucKr},
    {"cseuckr", Charset::EucKr},
    {"mscp949", Charset::EucKr},
    {"uhc", Charset::EucKr},
    {"cp1252", Charset::Windows1252},
    {"ms-ansi", Charset::Windows1252},
    {"latin1", Charset::Iso8859_1},
    {"l1", Charset::Iso8859_1},
    {"iso8859-1", Charset::Iso8859_1},
    {"iso88591", Charset::Iso8859_1},
    {"iso_8859-1", Charset::Iso8859_1},
    {"iso_8859-1:1987", Charset::Iso8859_1},
    {"iso-ir-100", Charset::Iso8859_1},
    {"cp819", Charset::Iso8859_1},
    {"ibm819", Charset::Iso8859_1},
    {"csisolatin1", Charset::Iso8859_1},
    {"8859_1", Charset::Iso8859_1},
    {"437", Charset::Cp437},
    {"cspc8codepage437", Charset::Cp437},
    {"ms-ee", Charset::Windows1250},
    {"ms-cyrl", Charset::Windows1251},
    {"ms-greek", Charset::Windows1253},
    {"ms-turk", Charset::Windows1254},
    {"winbaltrim", Charset::Windows1257},
    {"l2", Charset::Iso8859_2},
    {"iso8859-2", Charset::Iso8859_2},
    {"iso88592", Charset::Iso8859_2},
    {"iso_8859-2", Charset::Iso8859_2},
    {"iso_8859-2:1987", Charset::Iso8859_2},
    {"iso-ir-101", Charset::Iso8859_2},
    {"csisolatin2", Charset::Iso8859_2},
    {"8859_2", Charset::Iso8859_2},
    {"mac", Charset::Macintosh},
    {"csmacintosh", Charset::Macintosh},
    {"macroman", Charset::Macintosh},
    {"x-mac-roman", Charset::Macintosh},
};

// ---- GB18030, the one charset with four-byte characters, through ICU ---------------------------

// A converter carries state, so each thread keeps its own; `strict` stops at the first bad byte.
UConverter* Gb18030Converter(bool strict) {
  thread_local std::array<icu::ConverterPtr, 2> converters;
  auto& slot = converters[strict ? 1 : 0];
  if (!slot) {
    UErrorCode status = U_ZERO_ERROR;
    slot.reset(ucnv_open("gb18030", &status));
    if (U_FAILURE(status))
      throw std::runtime_error("ICU has no GB18030 converter");
    if (strict) {
      ucnv_setToUCallBack(slot.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    } else {
      ucnv_setToUCallBack(slot.get(), icu::WriteReplacement, nullptr, nullptr, nullptr, &status);
    }
    ucnv_setSubstChars(slot.get(), "?", 1, &status);
  }
  ucnv_reset(slot.get());
  return slot.get();
}

std::string EncodeGb18030(std::u16string_view text) {
  std::string bytes(text.size() * 4, '\0'); // two units give four bytes at most, one unit four
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = ucnv_fromUChars(
      Gb18030Converter(false), bytes.data(), static_cast<int32_t>(bytes.size()),
      reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()), &status);
  if (U_FAILURE(status))
    throw std::runtime_error("GB18030 encoding failed");
  bytes.resize(static_cast<std::size_t>(n));
  return bytes;
}

Result<std::u16string> DecodeGb18030(std::string_view bytes, bool strict) {
  std::u16string text(bytes.size() + 1, u'\0');
  UConverter* converter = Gb18030Converter(strict);
  UChar* target = reinterpret_cast<UChar*>(text.data());
  const char* source = bytes.data();
  UErrorCode status = U_ZERO_ERROR;
  ucnv_toUnicode(converter, &target, target + text.size(), &source, bytes.data() + bytes.size(),
                 nullptr, true, &status);
  if (U_FAILURE(status)) {
    if (!strict)
      throw std::runtime_error("GB18030 decoding failed");
    char invalid[8];
    int8_t invalidLength = sizeof invalid;
    UErrorCode ignored = U_ZERO_ERROR;
    ucnv_getInvalidChars(converter, invalid, &invalidLength, &ignored);
    return Fail(ErrorCode::InvalidBytes, static_cast<std::size_t>(source - bytes.data()) -
                                             std::max<int8_t>(invalidLength, 0));
  }
  text.resize(static_cast<std::size_t>(target - reinterpret_cast<UChar*>(text.data())));
  return text;
}

// ---- UTF-16 ------------------------------------------------------------------------------------

std::string EncodeUtf16(std::u16string_view text, bool bigEndian) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    if (!CanEncode(text, i, Charset::Utf16Le))
      unit = u'?';
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes.push_back(bigEndian ? high : low);
    bytes.push_back(bigEndian ? low : high);
  }
  return bytes;
}

// Decodes UTF-16; with `strict`, fails at the first odd byte or lone surrogate.
Result<std::u16string> DecodeUtf16(std::string_view bytes, bool bigEndian, bool strict) {
  std::u16string text;
  text.reserve(bytes.size() / 2 + 1);
  const auto unitAt = [&](std::size_t i) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
  };
  const std::size_t whole = bytes.size() & ~std::size_t{1};
  for (std::size_t i = 0; i < whole; i += 2) {
    const char16_t unit = unitAt(i);
    if (!IsSurrogate(unit)) {
      text.push_back(unit);
    } else if (IsHighSurrogate(unit) && i + 3 < whole && IsLowSurrogate(unitAt(i + 2))) {
      text.push_back(unit);
      text.push_back(unitAt(i + 2));
      i += 2;
    } else if (strict) {
      return Fail(ErrorCode::InvalidBytes, i);
    } else {
      text.push_back(kReplacement);
    }
  }
  if (whole != bytes.size()) {
    if (strict)
      return Fail(ErrorCode::InvalidBytes, whole);
    text.push_back(kReplacement);
  }
  return text;
}

// ---- code-page tables ---------------------------------------------------------------------------

Result<std::u16string> DecodeCodePageStrictly(std::string_view bytes, CodePage codePage) {
  std::u16string text;
  text.reserve(bytes.size());
  const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
  for (std::size_t i = 0; i < bytes.size();) {
    const char16_t single = UnitOfByte(in[i], codePage);
    if (single != kLeadByte && single != kReplacement) {
      text.push_back(single);
      ++i;
      continue;
    }
    const char16_t pair =
        single == kLeadByte && i + 1 < bytes.size() ? UnitOfPair(in[i], in[i + 1], codePage) : 0;
    if (pair == 0)
      return Fail(ErrorCode::InvalidBytes, i);
    text.push_back(pair);
    i += 2;
  }
  return text;
}

} // namespace

std::span<const CharsetInfo> Charsets() { return kCharsets; }

const CharsetInfo& InfoOf(Charset charset) {
  static_assert([] {
    for (std::size_t i = 0; i < std::size(kCharsets); ++i) {
      if (kCharsets[i].charset != static_cast<Charset>(i))
        return false;
    }
    return true;
  }());
  return kCharsets[static_cast<std::size_t>(charset)];
}

std::optional<Charset> CharsetNamed(std::string_view name) {
  for (const CharsetInfo& info : kCharsets) {
    if (EqualsIgnoringAsciiCase(name, info.name) ||
        (!info.alias.empty() && EqualsIgnoringAsciiCase(name, info.alias)))
      return info.charset;
  }
  for (const OtherName& other : kOtherNames) {
    if (EqualsIgnoringAsciiCase(name, other.name))
      return other.charset;
  }
  return std::nullopt;
}

bool CanEncode(std::u16string_view text, std::size_t i, Charset charset) {
  const char16_t unit = text[i];
  if (const std::optional<CodePage> codePage = InfoOf(charset).codePage)
    return IsInCodePage(unit, *codePage);
  if (!IsSurrogate(unit))
    return true;
  if (IsHighSurrogate(unit))
    return i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
  return i > 0 && IsHighSurrogate(text[i - 1]);
}

std::optional<EncodedCharacter> EncodeCharacterAt(std::u16string_view text, std::size_t i,
                                                  Charset charset) {
  EncodedCharacter encoded;
  const char16_t unit = text[i];
  if (IsSurrogate(unit)
          ? !CanEncode(text, i, charset)
          : InfoOf(charset).codePage && !IsInCodePage(unit, *InfoOf(charset).codePage))
    return std::nullopt;
  encoded.units = IsHighSurrogate(unit) ? 2 : 1;
  if (const std::optional<CodePage> codePage = InfoOf(charset).codePage) {
    const std::uint16_t code = AnsiCodeOfUnit(unit, *codePage);
    if (code > 0xFF)
      encoded.bytes[encoded.size++] = static_cast<std::uint8_t>(code >> 8);
    encoded.bytes[encoded.size++] = static_cast<std::uint8_t>(code);
    return encoded;
  }
  if (charset == Charset::Utf8) {
    const char32_t cp = encoded.units == 2 ? CombineSurrogates(unit, text[i + 1]) : unit;
    encoded.size = static_cast<std::size_t>(WriteUtf8(encoded.bytes, cp) - encoded.bytes);
    return encoded;
  }
  const std::string bytes = EncodeText(text.substr(i, encoded.units), charset);
  encoded.size = std::min(bytes.size(), std::size(encoded.bytes));
  std::copy_n(bytes.begin(), encoded.size, encoded.bytes);
  return encoded;
}

std::string EncodeText(std::u16string_view text, Charset charset) {
  switch (charset) {
  case Charset::Utf8: {
    // A lone surrogate is written as "?", like every character a charset cannot encode.
    std::string bytes;
    AppendUtf16AsUtf8(bytes, text, u'?');
    return bytes;
  }
  case Charset::Utf16Le:
  case Charset::Utf16Be:
    return EncodeUtf16(text, charset == Charset::Utf16Be);
  case Charset::Gb18030:
    return EncodeGb18030(text);
  default:
    return ToAnsiBytes(text, *InfoOf(charset).codePage);
  }
}

std::u16string DecodeBytes(std::string_view bytes, Charset charset) {
  switch (charset) {
  case Charset::Utf8:
    return Utf8ToUtf16Lenient(bytes);
  case Charset::Utf16Le:
  case Charset::Utf16Be:
    return *DecodeUtf16(bytes, charset == Charset::Utf16Be, false);
  case Charset::Gb18030:
    return *DecodeGb18030(bytes, false);
  default:
    return FromAnsiBytes(bytes, *InfoOf(charset).codePage);
  }
}

Result<std::u16string> DecodeBytesStrictly(std::string_view bytes, Charset charset) {
  switch (charset) {
  case Charset::Utf8: {
    Result<std::u16string> text = Utf8ToUtf16(bytes);
    if (!text)
      return Fail(ErrorCode::InvalidBytes, text.error().position);
    return text;
  }
  case Charset::Utf16Le:
  case Charset::Utf16Be:
    return DecodeUtf16(bytes, charset == Charset::Utf16Be, true);
  case Charset::Gb18030:
    return DecodeGb18030(bytes, true);
  default:
    return DecodeCodePageStrictly(bytes, *InfoOf(charset).codePage);
  }
}

Character CharacterOfBytes(std::string_view bytes, Charset charset) {
  const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
  Character character;
  if (bytes.empty() || bytes.size() > InfoOf(charset).longest)
    return character;
  const auto single = [&character](char32_t codePoint) {
    character.size =
        static_cast<std::size_t>(WriteCodePoint(character.units, codePoint) - character.units);
    return character;
  };
  switch (charset) {
  case Charset::Utf8: {
    if (bytes.size() == 1)
      return in[0] < 0x80 ? single(in[0]) : character;
    const std::optional<Utf8Lead> lead = Utf8LeadOf(in[0]);
    if (!lead || static_cast<std::size_t>(lead->continuations) + 1 != bytes.size())
      return character;
    char32_t value = lead->bits;
    for (std::size_t k = 1; k < bytes.size(); ++k) {
      if (in[k] < (k == 1 ? lead->secondLow : 0x80) || in[k] > (k == 1 ? lead->secondHigh : 0xBF))
        return character;
      value = value << 6 | (in[k] & 0x3F);
    }
    return single(value);
  }
  case Charset::Utf16Le:
  case Charset::Utf16Be:
  case Charset::Gb18030: {
    Result<std::u16string> text = DecodeBytesStrictly(bytes, charset);
    const std::size_t units = text && !text->empty() && IsHighSurrogate(text->front()) ? 2 : 1;
    if (!text || text->size() != units)
      return character;
    return single(units == 2 ? CombineSurrogates((*text)[0], (*text)[1]) : (*text)[0]);
  }
  default: {
    const CodePage codePage = *InfoOf(charset).codePage;
    const char16_t first = UnitOfByte(in[0], codePage);
    if (bytes.size() == 1)
      return first != kLeadByte && first != kReplacement ? single(first) : character;
    const char16_t pair = first == kLeadByte ? UnitOfPair(in[0], in[1], codePage) : 0;
    return pair != 0 ? single(pair) : character;
  }
  }
}

std::size_t ReplaceUnencodable(std::span<char16_t> units, Charset charset) {
  if (const std::optional<CodePage> codePage = InfoOf(charset).codePage)
    return ReplaceMissing(units, *codePage);
  // Only lone surrogates are lost here. As in the code pages' loop, a run of 32 units without any
  // surrogate is passed with one vectorised test, so that UTF-8 costs no more than GBK.
  constexpr std::size_t kRun = 32;
  std::size_t replaced = 0;
  for (std::size_t i = 0; i < units.size();) {
    const std::size_t end = std::min(units.size(), i + kRun);
    if (end - i == kRun) {
      char16_t surrogate = 0; // the bits that mark U+D800..U+DFFF, in 16-bit lanes
      for (std::size_t k = i; k < end; ++k)
        surrogate |= static_cast<char16_t>((units[k] & 0xF800) == 0xD800);
      if (surrogate == 0) {
        i = end;
        continue;
      }
    }
    for (; i < end; ++i) {
      if (!IsSurrogate(units[i]))
        continue;
      if (IsHighSurrogate(units[i]) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
        ++i; // the pair's low half may begin the next run
        continue;
      }
      units[i] = u'?';
      ++replaced;
    }
  }
  return replaced;
}

} // namespace kelvaro
