#include "cli/streams.h"

#include "text/utf.h"

#include <cstdint>
#include <cstring>
#include <istream>
#include <ostream>

namespace kelvaro::cli {

namespace {

// A stream read a block at a time into one buffer, the bytes of a sequence that a block's end cut
// carried to the front of the next. The kernel copies a block fastest to the start of a cache line
// (to a byte after it, three times slower), so every block is read to the same aligned place and
// the carried bytes are put just before it.
class CarryingReader {
public:
  CarryingReader(std::istream& in, std::size_t blockBytes)
      : m_in(in), m_blockBytes(blockBytes), m_buffer(blockBytes + 2 * kLine, '\0') {
    const auto after = reinterpret_cast<std::uintptr_t>(m_buffer.data()) + kMostCarried;
    m_block = m_buffer.data() + (kLine - after % kLine) % kLine + kMostCarried;
  }

  /// The bytes carried and the next block after them; Unreadable where reading failed.
  Result<std::string_view> Next() {
    m_in.read(m_block, static_cast<std::streamsize>(m_blockBytes));
    if (m_in.bad())
      return Fail(ErrorCode::Unreadable, m_offset + m_carried);
    return std::string_view(m_block - m_carried,
                            m_carried + static_cast<std::size_t>(m_in.gcount()));
  }
  /// Whether the block Next gave was the stream's last.
  [[nodiscard]] bool AtEnd() const { return m_in.eof(); }
  /// Carries the bytes of `bytes` (what Next gave) from `cut` on to the next block.
  void CarryFrom(std::string_view bytes, std::size_t cut) {
    m_carried = bytes.size() - cut;
    std::memmove(m_block - m_carried, bytes.data() + cut, m_carried);
    m_offset += cut;
  }
  /// Input bytes before those Next gave.
  [[nodiscard]] std::size_t Offset() const { return m_offset; }

private:
  static constexpr std::size_t kLine = 64;
  static constexpr std::size_t kMostCarried = 3; // a four-byte sequence but its last byte

  std::istream& m_in;
  std::size_t m_blockBytes;
  std::string m_buffer;
  char* m_block; ///< where each block is read, on a cache line
  std::size_t m_carried = 0;
  std::size_t m_offset = 0;
};

} // namespace

namespace {

// Reads the stream a block at a time, each handed to `read` up to where a sequence that the next
// block completes begins (the rest carried to the front of it). `read` gives the offset of a bad
// sequence in what it was handed, or nothing; the error then names the byte in the whole stream.
template <class Read>
Result<void> ReadCompletePieces(std::istream& in, std::size_t blockBytes, Read read) {
  CarryingReader reader(in, blockBytes);
  while (true) {
    const Result<std::string_view> bytes = reader.Next();
    if (!bytes)
      return unexpected<Error>(bytes.error());
    const bool last = reader.AtEnd();
    const std::size_t cut = last ? bytes->size() : CompleteUtf8Prefix(*bytes);
    if (const std::optional<std::size_t> bad = read(bytes->substr(0, cut)))
      return Fail(ErrorCode::InvalidUtf8, reader.Offset() + *bad);
    if (last)
      return {};
    reader.CarryFrom(*bytes, cut);
  }
}

} // namespace

Result<std::u16string> ReadUtf8(std::istream& in, std::size_t blockBytes) {
  std::u16string text;
  // A file says how many bytes it holds, and no byte gives more than one code unit: the text is
  // allocated once instead of growing (and being copied) block by block.
  if (const std::streamsize available = in.rdbuf()->in_avail(); available > 0)
    text.reserve(static_cast<std::size_t>(available));
  const Result<void> read = ReadCompletePieces(
      in, blockBytes, [&text](std::string_view piece) -> std::optional<std::size_t> {
        if (Result<void> appended = AppendUtf8AsUtf16(text, piece); !appended)
          return appended.error().position;
        return std::nullopt;
      });
  if (!read)
    return unexpected<Error>(read.error());
  // The byte order mark some editors put first says how the file is encoded; it is no character
  // of the text.
  if (!text.empty() && text.front() == u'\uFEFF')
    text.erase(0, 1);
  return text;
}

Result<void> ReadUtf8Pieces(std::istream& in, const std::function<void(std::string_view)>& take,
                            std::size_t blockBytes) {
  bool first = true; // no character taken yet: a byte order mark may come
  return ReadCompletePieces(in, blockBytes, [&](std::string_view piece) {
    const std::optional<std::size_t> bad = FirstInvalidUtf8(piece);
    if (bad)
      return bad;
    // A piece ends with a whole character, so the first piece that holds one holds all of a mark.
    if (first && !piece.empty()) {
      first = false;
      if (piece.starts_with("\xEF\xBB\xBF"))
        piece.remove_prefix(3);
    }
    take(piece);
    return bad;
  });
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
