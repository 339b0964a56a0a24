#include "cli/streams.h"

#include "text/utf.h"

#include <cstring>
#include <istream>
#include <ostream>

namespace kelvaro::cli {

Result<std::u16string> ReadUtf8(std::istream& in, std::size_t blockBytes) {
  std::u16string text;
  // A file says how many bytes it holds, and no byte gives more than one code unit: the text is
  // allocated once instead of growing (and being copied) block by block.
  if (const std::streamsize available = in.rdbuf()->in_avail(); available > 0)
    text.reserve(static_cast<std::size_t>(available));
  std::string block(blockBytes + 3, '\0'); // room for the bytes carried from the block before
  std::size_t carried = 0;                 // bytes of a sequence the next block completes
  std::size_t offset = 0;                  // input bytes before the block
  while (true) {
    in.read(block.data() + carried, static_cast<std::streamsize>(blockBytes));
    if (in.bad())
      return Fail(ErrorCode::Unreadable, offset + carried);
    const std::size_t size = carried + static_cast<std::size_t>(in.gcount());
    const bool last = in.eof();
    const std::string_view bytes(block.data(), size);
    const std::size_t cut = last ? size : CompleteUtf8Prefix(bytes);
    if (Result<void> appended = AppendUtf8AsUtf16(text, bytes.substr(0, cut)); !appended)
      return Fail(ErrorCode::InvalidUtf8, offset + appended.error().position);
    if (last)
      break;
    carried = size - cut;
    std::memmove(block.data(), block.data() + cut, carried);
    offset += cut;
  }
  // The byte order mark some editors put first says how the file is encoded; it is no character
  // of the text.
  if (!text.empty() && text.front() == u'\uFEFF')
    text.erase(0, 1);
  return text;
}

Result<void> ReadUtf8Pieces(std::istream& in, const std::function<void(std::string_view)>& take,
                            std::size_t blockBytes) {
  std::string block(blockBytes + 3, '\0'); // room for the bytes carried from the block before
  std::size_t carried = 0;                 // bytes of a sequence the next block completes
  std::size_t offset = 0;                  // input bytes before the block
  bool first = true;                       // no character taken yet: a byte order mark may come
  while (true) {
    in.read(block.data() + carried, static_cast<std::streamsize>(blockBytes));
    if (in.bad())
      return Fail(ErrorCode::Unreadable, offset + carried);
    const std::size_t size = carried + static_cast<std::size_t>(in.gcount());
    const bool last = in.eof();
    const std::string_view bytes(block.data(), size);
    std::string_view piece = bytes.substr(0, last ? size : CompleteUtf8Prefix(bytes));
    if (const std::optional<std::size_t> bad = FirstInvalidUtf8(piece))
      return Fail(ErrorCode::InvalidUtf8, offset + *bad);
    const std::size_t cut = piece.size();
    // A piece ends with a whole character, so the first piece that holds one holds all of a mark.
    if (first && !piece.empty()) {
      first = false;
      if (piece.starts_with("\xEF\xBB\xBF"))
        piece.remove_prefix(3);
    }
    take(piece);
    if (last)
      return {};
    carried = size - cut;
    std::memmove(block.data(), block.data() + cut, carried);
    offset += cut;
  }
}

Result<std::string> ReadBytes(std::istream& in) {
  std::string bytes;
  // A file says how many bytes it holds: read straight into a string of that size, then on in
  // blocks for whatever a pipe or a growing file adds.
  if (const std::streamsize available = in.rdbuf()->in_avail(); available > 0) {
    bytes.resize(static_cast<std::size_t>(available));
    in.read(bytes.data(), available);
    bytes.resize(static_cast<std::size_t>(in.gcount()));
  }
  std::string block(kInputBlockBytes, '\0');
  while (in) {
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    bytes.append(block.data(), static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad())
    return Fail(ErrorCode::Unreadable, bytes.size());
  return bytes;
}

namespace {

Result<std::u16string> DecodeAfter(std::string_view bytes, std::size_t skipped, Charset charset) {
  Result<std::u16string> text = DecodeBytesStrictly(bytes.substr(skipped), charset);
  if (!text)
    return Fail(ErrorCode::InvalidBytes, skipped + text.error().position);
  if (!text->empty() && text->front() == u'\uFEFF')
    text->erase(0, 1);
  return text;
}

} // namespace

Result<std::u16string> ReadInCharset(std::istream& in, Charset charset) {
  if (charset == Charset::Utf8)
    return ReadUtf8(in);
  const Result<std::string> bytes = ReadBytes(in);
  if (!bytes)
    return Fail(bytes.error().code, bytes.error().position);
  return DecodeAfter(*bytes, bytes->starts_with("\xEF\xBB\xBF") ? 3 : 0, charset);
}

Result<std::u16string> ReadUtf16ByMark(std::istream& in) {
  const Result<std::string> bytes = ReadBytes(in);
  if (!bytes)
    return Fail(bytes.error().code, bytes.error().position);
  if (bytes->starts_with("\xFF\xFE"))
    return DecodeAfter(*bytes, 2, Charset::Utf16Le);
  return DecodeAfter(*bytes, bytes->starts_with("\xFE\xFF") ? 2 : 0, Charset::Utf16Be);
}

Result<void> WriteUtf8(std::ostream& out, std::u16string_view text, std::size_t blockUnits) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t n = std::min(blockUnits, text.size() - i);
    // A pair cut by the block's end moves into this block whole; a lone high surrogate stays
    // alone, so that a pair right after it is not cut instead.
    if (i + n < text.size() && IsHighSurrogate(text[i + n - 1]) && IsLowSurrogate(text[i + n]))
      ++n;
    bytes.clear();
    AppendUtf16AsUtf8(bytes, text.substr(i, n));
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
      return Fail(ErrorCode::Unwritable, i);
    i += n;
  }
  if (!out.flush())
    return Fail(ErrorCode::Unwritable, text.size());
  return {};
}

std::u16string WithWindowLineBreaks(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + text.size() / 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit != u'\r' && unit != u'\n') {
      out.push_back(unit);
      continue;
    }
    out += u"\r\n";
    if (unit == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
      ++i;
  }
  return out;
}

} // namespace kelvaro::cli
