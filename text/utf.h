#pragma once
// UTF-8 at the edges of the program (command line, files) and UTF-16 inside.

#include "text/result.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

/// U+FFFD, what a decoder gives for bytes that form no character.
inline constexpr char16_t kReplacement = 0xFFFD;

[[nodiscard]] constexpr bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
[[nodiscard]] constexpr bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}
[[nodiscard]] constexpr bool IsSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

/// The code point of a high and a low surrogate.
[[nodiscard]] constexpr char32_t CombineSurrogates(char32_t high, char32_t low) {
  return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

/// Writes a code point as UTF-16 (one unit below U+10000, else its surrogate pair) and gives the
/// end. A value that is itself a surrogate goes out as that one unit.
inline char16_t* WriteCodePoint(char16_t* out, char32_t codePoint) {
  if (codePoint < 0x10000) {
    *out = static_cast<char16_t>(codePoint);
    return out + 1;
  }
  codePoint -= 0x10000;
  out[0] = static_cast<char16_t>(0xD800 | (codePoint >> 10));
  out[1] = static_cast<char16_t>(0xDC00 | (codePoint & 0x3FF));
  return out + 2;
}

/// Writes a code point as UTF-8 (one to four bytes) and gives the end. The one UTF-8 writer: a
/// surrogate value goes out as its three-byte form, which only the escapes of lone units use.
constexpr unsigned char* WriteUtf8(unsigned char* out, char32_t codePoint) {
  if (codePoint < 0x80) {
    *out++ = static_cast<unsigned char>(codePoint);
    return out;
  }
  if (codePoint < 0x800) {
    *out++ = static_cast<unsigned char>(0xC0 | (codePoint >> 6));
  } else {
    if (codePoint < 0x10000) {
      *out++ = static_cast<unsigned char>(0xE0 | (codePoint >> 12));
    } else {
      *out++ = static_cast<unsigned char>(0xF0 | (codePoint >> 18));
      *out++ = static_cast<unsigned char>(0x80 | ((codePoint >> 12) & 0x3F));
    }
    *out++ = static_cast<unsigned char>(0x80 | ((codePoint >> 6) & 0x3F));
  }
  *out++ = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
  return out;
}

/// Appends a code point as WriteCodePoint writes it.
inline void AppendCodePoint(std::u16string& out, char32_t codePoint) {
  char16_t units[2];
  out.append(units, static_cast<std::size_t>(WriteCodePoint(units, codePoint) - units));
}

/// Whether every surrogate of the text is part of a pair (high, then low).
[[nodiscard]] bool IsWellFormedUtf16(std::u16string_view text);

/// Whether a byte is a UTF-8 continuation byte, 80..BF: the one check the decoders, the stream
/// cut and the recogniser share.
[[nodiscard]] constexpr bool IsUtf8Continuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

/// How a UTF-8 sequence goes on after its lead byte, by the table of well-formed sequences
/// (Unicode 3.9): how many continuation bytes follow, the range the first of them must lie in
/// (the others lie in 80..BF), and the lead's bits of the code point.
struct Utf8Lead {
  int continuations;
  unsigned char secondLow, secondHigh;
  char32_t bits;
};

/// The rule of a lead byte C2..F4, or nothing for a byte that begins no multi-byte sequence.
/// `surrogates` admits ED A0..ED BF, the three-byte forms of surrogate code units, which
/// well-formed UTF-8 excludes but the escapes of single code units are written with.
[[nodiscard]] constexpr std::optional<Utf8Lead> Utf8LeadOf(unsigned char lead,
                                                           bool surrogates = false) {
  if (lead >= 0xC2 && lead <= 0xDF)
    return Utf8Lead{1, 0x80, 0xBF, char32_t{lead} & 0x1F};
  if (lead >= 0xE0 && lead <= 0xEF) {
    return Utf8Lead{2, static_cast<unsigned char>(lead == 0xE0 ? 0xA0 : 0x80),
                    static_cast<unsigned char>(lead == 0xED && !surrogates ? 0x9F : 0xBF),
                    char32_t{lead} & 0x0F};
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    return Utf8Lead{3, static_cast<unsigned char>(lead == 0xF0 ? 0x90 : 0x80),
                    static_cast<unsigned char>(lead == 0xF4 ? 0x8F : 0xBF), char32_t{lead} & 0x07};
  }
  return std::nullopt;
}

/// How many bytes at the start of `bytes` one U+FFFD stands for when they begin no well-formed
/// sequence: the maximal subpart, the longest prefix that some well-formed sequence begins with,
/// and at least one byte (WHATWG's and ICU's rule). `bytes` is not empty.
[[nodiscard]] constexpr std::size_t Utf8MaximalSubpart(std::string_view bytes) {
  const std::optional<Utf8Lead> lead = Utf8LeadOf(static_cast<unsigned char>(bytes[0]));
  if (!lead)
    return 1;
  std::size_t length = 1;
  for (; length <= static_cast<std::size_t>(lead->continuations) && length < bytes.size();
       ++length) {
    const auto byte = static_cast<unsigned char>(bytes[length]);
    const unsigned char low = length == 1 ? lead->secondLow : 0x80;
    const unsigned char high = length == 1 ? lead->secondHigh : 0xBF;
    if (byte < low || byte > high)
      break;
  }
  return length;
}

/// A UTF-8 sequence written as "%XX" escapes, one a byte: its code point and how many characters
/// of the text it spans.
struct EscapedUtf8 {
  char32_t codePoint = 0;
  std::size_t length = 0;
};

/// Reads the well-formed sequence whose escapes start at text[i] (digits of either case), or
/// nothing when none starts there. An escaped ASCII byte counts when `ascii` is set; ED A0..ED BF,
/// the three-byte forms of surrogate code units, when `surrogates` is.
[[nodiscard]] std::optional<EscapedUtf8> ReadEscapedUtf8(std::u16string_view text, std::size_t i,
                                                         bool ascii, bool surrogates);

/// One well-formed UTF-8 character: how many bytes it takes, and its code point.
struct Utf8Character {
  std::size_t length = 0;
  char32_t codePoint = 0;
};

/// The well-formed UTF-8 character at bytes[at] (at < bytes.size()), or nothing when none starts
/// there.
[[nodiscard]] std::optional<Utf8Character> Utf8CharacterAt(std::string_view bytes, std::size_t at);

/// The character that valid UTF-8 holds at bytes[at] (at < bytes.size()), read without a check:
/// for bytes that FirstInvalidUtf8 has passed, in loops over large texts where checking each
/// sequence again would cost a third of their time. Other bytes give some character (a sequence
/// cut by the end U+FFFD), never a read past the end.
[[nodiscard]] inline Utf8Character Utf8CharacterOfValidAt(std::string_view bytes, std::size_t at) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
  const char32_t lead = in[0];
  const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (length > bytes.size() - at)
    return {bytes.size() - at, kReplacement};
  switch (length) {
  case 1:
    return {1, lead};
  case 2:
    return {2, (lead & 0x1F) << 6 | (in[1] & 0x3Fu)};
  case 3:
    return {3, (lead & 0x0F) << 12 | (in[1] & 0x3Fu) << 6 | (in[2] & 0x3Fu)};
  default:
    return {4,
            (lead & 0x07) << 18 | (in[1] & 0x3Fu) << 12 | (in[2] & 0x3Fu) << 6 | (in[3] & 0x3Fu)};
  }
}

/// Where bytes stop being well-formed UTF-8 (RFC 3629): the offset of the first bad sequence, or
/// nothing for valid UTF-8. For passing UTF-8 through without decoding it.
[[nodiscard]] std::optional<std::size_t> FirstInvalidUtf8(std::string_view bytes);

/// How many characters valid UTF-8 holds: the bytes that start one (every byte but 80..BF). Never
/// fails; on other bytes it counts those that are no continuation byte.
[[nodiscard]] std::size_t CountUtf8Characters(std::string_view bytes);

/// Strict UTF-8 to UTF-16 (RFC 3629): overlong forms, encoded surrogates, values above U+10FFFF and
/// truncated sequences are errors (InvalidUtf8, position = byte offset of the bad sequence).
[[nodiscard]] Result<std::u16string> Utf8ToUtf16(std::string_view bytes);

/// Strict UTF-8 appended to a UTF-16 text, for input read in blocks. On an error the text is left
/// as it was and the position is the byte offset within `bytes`.
[[nodiscard]] Result<void> AppendUtf8AsUtf16(std::u16string& text, std::string_view bytes);

/// Length of the longest prefix that does not end inside a multi-byte sequence which later bytes
/// could complete: where a block of a stream can be cut for decoding.
[[nodiscard]] std::size_t CompleteUtf8Prefix(std::string_view bytes);

/// UTF-16 to UTF-8, appended. A lone surrogate is written as `loneSurrogate` (U+FFFD, or "?" where
/// a charset shows what it cannot encode). Never fails.
void AppendUtf16AsUtf8(std::string& bytes, std::u16string_view text,
                       char32_t loneSurrogate = kReplacement);

/// UTF-16 to UTF-8. A lone surrogate is written as U+FFFD. Never fails.
[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view text);

/// UTF-8 to UTF-16 that never fails: each maximal ill-formed subsequence gives one U+FFFD
/// (the W3C/Unicode "substitution of maximal subparts" practice).
[[nodiscard]] std::u16string Utf8ToUtf16Lenient(std::string_view bytes);

} // namespace kelvaro
