#include "registry/file_text.h"

#include "codec/recognise/language_model.h"
#include "text/utf.h"

#include <algorithm>
#include <vector>

namespace kelvaro {
namespace {

// The ranking reads this much of a file: enough for the model, which scores the first few
// thousand characters, and for a zero byte or a bad sequence near the start to show.
constexpr std::size_t kRankedBytes = 64 * 1024;

// Readings whose costs differ by less than this (bits a character) tie, and the chosen charset wins.
constexpr double kTie = 0.05;

struct Mark {
  std::string_view bytes;
  Charset charset;
};
constexpr Mark kMarks[] = {{"\xEF\xBB\xBF", Charset::Utf8},
                           {"\xFF\xFE", Charset::Utf16Le},
                           {"\xFE\xFF", Charset::Utf16Be}};

bool IsUtf16(Charset charset) { return charset == Charset::Utf16Le || charset == Charset::Utf16Be; }

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

// Controls that text files hold: tab, line breaks, form feed.
bool IsTextControl(char16_t unit) {
  return unit == u'\t' || unit == u'\n' || unit == u'\r' || unit == u'\f';
}

// The prefix's reading in the charset, or nothing when the charset does not read it strictly; a
// sequence cut by the end of the prefix is left out. A reading that holds U+0000 or other controls
// that text files never hold is none: so are the readings of a picture.
std::optional<std::u16string> ReadPrefix(std::string_view bytes, Charset charset) {
  const bool whole = bytes.size() <= kRankedBytes;
  std::string_view prefix = bytes.substr(0, kRankedBytes);
  Result<std::u16string> text = DecodeBytesStrictly(prefix, charset);
  if (!text && !whole && text.error().position + InfoOf(charset).longest >= prefix.size())
    text = DecodeBytesStrictly(prefix.substr(0, text.error().position), charset);
  if (!text)
    return std::nullopt;
  const bool controls = std::any_of(text->begin(), text->end(), [](char16_t unit) {
    return (unit < 0x20 && !IsTextControl(unit)) || unit == 0x7F;
  });
  if (controls)
    return std::nullopt;
  return std::move(*text);
}

} // namespace

Result<FileText> ReadFileTextAs(std::string_view bytes, Charset charset) {
  std::size_t markBytes = 0;
  for (const Mark& mark : kMarks) {
    if (mark.charset == charset && bytes.starts_with(mark.bytes))
      markBytes = mark.bytes.size();
  }
  Result<std::u16string> text = DecodeBytesStrictly(bytes.substr(markBytes), charset);
  if (!text)
    return Fail(ErrorCode::InvalidBytes, text.error().position + markBytes);
  return FileText{std::move(*text), charset, FileCharsetReason::AsAsked, markBytes};
}

Result<FileText> ReadFileText(std::string_view bytes, Charset chosen) {
  for (const Mark& mark : kMarks) {
    if (bytes.starts_with(mark.bytes)) {
      Result<FileText> file = ReadFileTextAs(bytes, mark.charset);
      if (file)
        file->reason = FileCharsetReason::ByteOrderMark;
      return file;
    }
  }
  // A zero byte is no text in a byte charset: only UTF-16 may read such a file.
  const bool hasZero = bytes.find('\0') != std::string_view::npos;
  if (!hasZero && IsAscii(bytes)) {
    // Every charset but UTF-16 reads ASCII alike; a control still says it is no text.
    if (!ReadPrefix(bytes, Charset::Utf8))
      return Fail(ErrorCode::NotText, 0);
    return FileText{std::u16string(bytes.begin(), bytes.end()), chosen, FileCharsetReason::Chosen};
  }
  if (!hasZero) {
    if (Result<std::u16string> utf8 = DecodeBytesStrictly(bytes, Charset::Utf8);
        utf8 && ReadPrefix(bytes, Charset::Utf8))
      return FileText{std::move(*utf8), Charset::Utf8, FileCharsetReason::Utf8};
  }

  struct Reading {
    Charset charset;
    double bits; // a character, lower is better
  };
  std::vector<Reading> readings;
  for (const CharsetInfo& info : Charsets()) {
    if (hasZero && !IsUtf16(info.charset))
      continue;
    if (const std::optional<std::u16string> text = ReadPrefix(bytes, info.charset))
      readings.push_back({info.charset, recognise::ScoreText(*text).bitsPerCharacter});
  }
  // Best first, in the table's order where they cost the same; the chosen charset goes first when
  // it ties with the best.
  std::stable_sort(readings.begin(), readings.end(),
                   [](const Reading& a, const Reading& b) { return a.bits < b.bits; });
  const auto chosenReading = std::find_if(readings.begin(), readings.end(),
                                          [chosen](const Reading& r) { return r.charset == chosen; });
  if (chosenReading != readings.end() && chosenReading->bits < readings.front().bits + kTie)
    std::rotate(readings.begin(), chosenReading, chosenReading + 1);
  for (const Reading& reading : readings) {
    Result<std::u16string> text = DecodeBytesStrictly(bytes, reading.charset);
    if (text)
      return FileText{std::move(*text), reading.charset, FileCharsetReason::Ranked};
  }
  const std::size_t zero = bytes.find('\0');
  return Fail(ErrorCode::NotText, zero == std::string_view::npos ? 0 : zero);
}

} // namespace kelvaro
