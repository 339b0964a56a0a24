#include "text/utf.h"

#include "text/processor.h"
#include "text/utf8_validation.h"

#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "text/hex.h"

#include <algorithm>
#include <array>

namespace kelvaro {
namespace {

struct Decoded {
  char32_t codePoint;
  std::size_t length; ///< bytes consumed; for a bad sequence, the maximal subpart (at least 1)
  bool valid;
};

// One UTF-8 sequence at bytes[i].
Decoded DecodeOne(std::string_view bytes, std::size_t i) {
  const auto lead = static_cast<unsigned char>(bytes[i]);
  if (lead < 0x80)
    return {lead, 1, true};
  const std::optional<Utf8Lead> rule = Utf8LeadOf(lead);
  if (!rule)
    return {0, 1, false};
  char32_t value = rule->bits;
  std::size_t k = i + 1;
  for (int n = 0; n < rule->continuations; ++n, ++k) {
    if (k >= bytes.size())
      return {0, k - i, false};
    const auto b = static_cast<unsigned char>(bytes[k]);
    if (b < (n == 0 ? rule->secondLow : 0x80) || b > (n == 0 ? rule->secondHigh : 0xBF))
      return {0, k - i, false};
    value = value << 6 | (b & 0x3F);
  }
  return {value, k - i, true};
}

} // namespace

std::optional<EscapedUtf8> ReadEscapedUtf8(std::u16string_view text, std::size_t i, bool ascii,
                                           bool surrogates) {
  const std::optional<std::uint8_t> lead = PercentByteAt(text, i);
  if (!lead)
    return std::nullopt;
  if (*lead < 0x80)
    return ascii ? std::optional(EscapedUtf8{*lead, 3}) : std::nullopt;
  const std::optional<Utf8Lead> rule = Utf8LeadOf(*lead, surrogates);
  if (!rule)
    return std::nullopt;
  char32_t value = rule->bits;
  std::size_t k = i + 3;
  for (int n = 0; n < rule->continuations; ++n, k += 3) {
    const std::optional<std::uint8_t> byte = PercentByteAt(text, k);
    if (!byte || *byte < (n == 0 ? rule->secondLow : 0x80) ||
        *byte > (n == 0 ? rule->secondHigh : 0xBF))
      return std::nullopt;
    value = value << 6 | (*byte & 0x3F);
  }
  return EscapedUtf8{value, k - i};
}

Result<void> AppendUtf8AsUtf16(std::u16string& text, std::string_view bytes) {
  // Every byte gives at most one code unit (a four-byte sequence gives two), so the text is sized
  // once and written through a pointer.
  const std::size_t start = text.size();
  text.resize(start + bytes.size());
  char16_t* out = text.data() + start;
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t i = 0; i < bytes.size();) {
    if (in[i] < 0x80) {
      *out++ = in[i++];
      continue;
    }
    const Decoded d = DecodeOne(bytes, i);
    if (!d.valid) {
      text.resize(start);
      return Fail(ErrorCode::InvalidUtf8, i);
    }
    out = WriteCodePoint(out, d.codePoint);
    i += d.length;
  }
  text.resize(static_cast<std::size_t>(out - text.data()));
  return {};
}

namespace {

// Finds the first bad sequence by reading each sequence in turn: the exact position, for the rare
// input that the state machine below has found bad.
std::optional<std::size_t> FirstBadSequence(std::string_view bytes) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t i = 0; i < bytes.size();) {
    // Eight ASCII bytes at a time: most UTF-8 that passes through is mostly ASCII or CJK, and
    // the ASCII runs cost nearly nothing this way.
    if (i + 8 <= bytes.size()) {
      std::uint64_t eight;
      std::memcpy(&eight, in + i, 8);
      if ((eight & 0x8080808080808080u) == 0) {
        i += 8;
        continue;
      }
    }
    if (in[i] < 0x80) {
      ++i;
      continue;
    }
    // The three-byte forms of nearly all of the BMP (every Chinese character among them), whose
    // second byte takes the whole range 80..BF; E0 and ED restrict it and take the general path.
    if (in[i] >= 0xE1 && in[i] <= 0xEF && in[i] != 0xED && i + 2 < bytes.size() &&
        IsUtf8Continuation(in[i + 1]) && IsUtf8Continuation(in[i + 2])) {
      i += 3;
      continue;
    }
    const Decoded d = DecodeOne(bytes, i);
    if (!d.valid)
      return i;
    i += d.length;
  }
  return std::nullopt;
}

} // namespace

std::optional<Utf8Character> Utf8CharacterAt(std::string_view bytes, std::size_t at) {
  const Decoded d = DecodeOne(bytes, at);
  if (!d.valid)
    return std::nullopt;
  return Utf8Character{d.length, d.codePoint};
}

std::optional<std::size_t> FirstInvalidUtf8(std::string_view bytes) {
  // The validators only say whether the bytes are valid; the error, rare where this is used, is
  // placed by reading sequence by sequence.
  if (IsValidUtf8(bytes))
    return std::nullopt;
  return FirstBadSequence(bytes);
}

namespace {

#if defined(__x86_64__)
// 32 bytes a step: each lane counts in a byte up to 255 steps, then the lanes are summed.
__attribute__((target("avx2"))) std::size_t CountUtf8CharactersByAvx2(const char*& next,
                                                                      std::size_t& left) {
  const __m256i lastContinuation = _mm256_set1_epi8(static_cast<char>(0xBF));
  std::size_t count = 0;
  while (left >= 32) {
    __m256i inRun = _mm256_setzero_si256();
    for (int step = 0; step < 255 && left >= 32; ++step, next += 32, left -= 32) {
      const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(next));
      // 80..BF are -128..-65: every other byte is greater, and starts a character (-1 each).
      inRun = _mm256_sub_epi8(inRun, _mm256_cmpgt_epi8(bytes, lastContinuation));
    }
    const __m256i sums = _mm256_sad_epu8(inRun, _mm256_setzero_si256());
    count +=
        static_cast<std::size_t>(_mm256_extract_epi64(sums, 0) + _mm256_extract_epi64(sums, 1) +
                                 _mm256_extract_epi64(sums, 2) + _mm256_extract_epi64(sums, 3));
  }
  return count;
}
#endif

} // namespace

std::size_t CountUtf8Characters(std::string_view bytes) {
  const char* start = bytes.data();
  std::size_t left = bytes.size();
  std::size_t count = 0;
#if defined(__x86_64__)
  if (ProcessorHasAvx2())
    count = CountUtf8CharactersByAvx2(start, left);
#endif
  // The rest, or every byte on other processors, in runs short enough for a byte-wide count per
  // lane, so that the compiler keeps the counts in vector registers and widens them once a run: a
  // count the width of the result is four to eight times slower.
  constexpr std::size_t kRun = 255;
  const auto* next = reinterpret_cast<const std::int8_t*>(start);
  while (left > 0) {
    const std::size_t run = std::min(left, kRun);
    std::uint8_t inRun = 0;
    for (std::size_t i = 0; i < run; ++i)
      inRun += next[i] >= -0x40 ? 1 : 0; // 80..BF are -128..-65
    count += inRun;
    next += run;
    left -= run;
  }
  return count;
}

Result<std::u16string> Utf8ToUtf16(std::string_view bytes) {
  std::u16string text;
  if (Result<void> appended = AppendUtf8AsUtf16(text, bytes); !appended) {
    return unexpected<Error>(appended.error());
  }
  return text;
}

std::size_t CompleteUtf8Prefix(std::string_view bytes) {
  // Only the last three bytes can belong to a sequence the next bytes complete.
  for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
    const auto b = static_cast<unsigned char>(bytes[bytes.size() - back]);
    if (IsUtf8Continuation(b))
      continue; // a continuation byte: look further back for its lead
    const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    return length > back ? bytes.size() - back : bytes.size();
  }
  return bytes.size();
}

std::u16string Utf8ToUtf16Lenient(std::string_view bytes) {
  // As the strict decoder: a byte gives at most one code unit (a bad sequence of any length gives
  // one U+FFFD), so the text is sized once and written through a pointer.
  std::u16string text(bytes.size(), u'\0');
  char16_t* out = text.data();
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t i = 0; i < bytes.size();) {
    if (in[i] < 0x80) {
      *out++ = in[i++];
      continue;
    }
    const Decoded d = DecodeOne(bytes, i);
    if (d.valid) {
      out = WriteCodePoint(out, d.codePoint);
    } else {
      *out++ = kReplacement;
    }
    i += d.length;
  }
  text.resize(static_cast<std::size_t>(out - text.data()));
  return text;
}

void AppendUtf16AsUtf8(std::string& bytes, std::u16string_view text, char32_t loneSurrogate) {
  // At most three bytes a code unit (a pair's two units take four), so the bytes are sized once
  // and written through a pointer.
  const std::size_t start = bytes.size();
  bytes.resize(start + 3 * text.size());
  auto* out = reinterpret_cast<unsigned char*>(bytes.data() + start);
  // Every result is written here, and most hold long runs of ASCII (Base64, hex, escapes): a run
  // of 16 units is tested and narrowed in loops the compiler vectorises.
  constexpr std::size_t kRun = 16;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t end = std::min(text.size(), i + kRun);
    if (end - i == kRun) {
      char16_t any = 0;
      for (std::size_t k = i; k < end; ++k)
        any |= text[k];
      if (any < 0x80) {
        for (std::size_t k = 0; k < kRun; ++k)
          out[k] = static_cast<unsigned char>(text[i + k]);
        out += kRun;
        i = end;
        continue;
      }
    }
    while (i < end) { // a pair's second unit may lie past the run's end
      char32_t cp = text[i++];
      if (cp < 0x80) {
        *out++ = static_cast<unsigned char>(cp);
        continue;
      }
      if (IsSurrogate(cp)) {
        const bool pair = IsHighSurrogate(cp) && i < text.size() && IsLowSurrogate(text[i]);
        cp = pair ? CombineSurrogates(cp, text[i++]) : loneSurrogate;
      }
      out = WriteUtf8(out, cp);
    }
  }
  bytes.resize(static_cast<std::size_t>(out - reinterpret_cast<unsigned char*>(bytes.data())));
}

bool IsWellFormedUtf16(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsSurrogate(text[i]))
      continue;
    if (!IsHighSurrogate(text[i]) || i + 1 == text.size() || !IsLowSurrogate(text[i + 1]))
      return false;
    ++i;
  }
  return true;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string bytes;
  AppendUtf16AsUtf8(bytes, text);
  return bytes;
}

} // namespace kelvaro
