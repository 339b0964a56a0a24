#include "text/utf.h"

#include <cstdint>
#include <cstring>

namespace kelvaro {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

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

namespace {

// Length of the run of ASCII bytes at the start, read eight bytes at a time.
std::size_t AsciiPrefix(const char* data, std::size_t size) {
  std::size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, data + i, 8);
    if (word & 0x8080808080808080ULL)
      break;
  }
  while (i < size && static_cast<unsigned char>(data[i]) < 0x80)
    ++i;
  return i;
}

// Code units of well-formed UTF-8: one per lead byte, two for a four-byte sequence. For ill-formed
// input it still bounds the units that the valid sequences before the first fault give.
std::size_t Utf16Length(std::string_view bytes) {
  std::size_t units = 0;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    units += ((b & 0xC0) != 0x80) + (b >= 0xF0);
  }
  return units;
}

} // namespace

Result<void> AppendUtf8AsUtf16(std::u16string& text, std::string_view bytes) {
  const std::size_t start = text.size();
  text.resize(start + Utf16Length(bytes));
  char16_t* out = text.data() + start;
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned char lead = in[i];
    if (lead < 0x80) {
      const std::size_t ascii = AsciiPrefix(bytes.data() + i, bytes.size() - i);
      for (std::size_t k = 0; k < ascii; ++k)
        out[k] = in[i + k];
      out += ascii;
      i += ascii;
      continue;
    }
    // The common case in Chinese text: three-byte sequences whose lead needs no range check on
    // the second byte (E1..EC, EE, EF), mixed with single ASCII characters. Both are decoded
    // without a branch on which one comes, since text switches between them unpredictably.
    const std::size_t runStart = i;
    while (i + 2 < bytes.size()) {
      const unsigned l = in[i], b1 = in[i + 1], b2 = in[i + 2];
      // Bitwise, not short-circuit, so that the compiler keeps it free of branches.
      const unsigned ascii = l < 0x80;
      const unsigned three = static_cast<unsigned>(l - 0xE1 <= 0xEF - 0xE1) &
                             static_cast<unsigned>(l != 0xED) &
                             static_cast<unsigned>(((b1 ^ 0x80) | (b2 ^ 0x80)) < 0x40);
      if ((ascii | three) == 0)
        break;
      const unsigned unit = (l & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F);
      *out++ = static_cast<char16_t>(ascii ? l : unit);
      i += 3 - 2 * ascii;
    }
    if (i != runStart)
      continue;
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
    if ((b & 0xC0) == 0x80)
      continue; // a continuation byte: look further back for its lead
    const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    return length > back ? bytes.size() - back : bytes.size();
  }
  return bytes.size();
}

std::u16string Utf8ToUtf16Lenient(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const Decoded d = DecodeOne(bytes, i);
    if (d.valid) {
      AppendCodePoint(text, d.codePoint);
    } else {
      text.push_back(kReplacement);
    }
    i += d.length;
  }
  return text;
}

namespace {

template <bool kMapped>
void AppendUtf8(std::string& bytes, std::u16string_view text, const char16_t* unitMap) {
  const auto unitAt = [&](std::size_t i) -> char32_t {
    if constexpr (kMapped)
      return unitMap[text[i]];
    return text[i];
  };
  // Sized first, exactly but for surrogate pairs (counted as six bytes, written as four) and
  // mapped units (counted as the unit they replace).
  std::size_t size = 0;
  for (const char16_t unit : text)
    size += 1 + (unit >= 0x80) + (unit >= 0x800);
  const std::size_t start = bytes.size();
  bytes.resize(start + size);
  auto* const first = reinterpret_cast<unsigned char*>(bytes.data());
  unsigned char* out = first + start;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // Runs of ASCII, eight units at a time; the box's map leaves ASCII as it is.
    while (i + 8 <= text.size()) {
      std::uint64_t a, b;
      std::memcpy(&a, text.data() + i, 8);
      std::memcpy(&b, text.data() + i + 4, 8);
      if ((a | b) & 0xFF80FF80FF80FF80ULL)
        break;
      for (int k = 0; k < 8; ++k)
        out[k] = static_cast<unsigned char>(text[i + k]);
      out += 8;
      i += 8;
    }
    if (i == text.size())
      break;
    char32_t cp = text[i] < 0x80 ? text[i] : unitAt(i);
    if (cp < 0x80) {
      *out++ = static_cast<unsigned char>(cp);
      continue;
    }
    if (IsSurrogate(cp)) {
      const bool pair = IsHighSurrogate(cp) && i + 1 < text.size() && IsLowSurrogate(unitAt(i + 1));
      cp = pair ? CombineSurrogates(cp, unitAt(++i)) : kReplacement;
    }
    if (cp < 0x800) {
      out[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
      out[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      out += 2;
    } else if (cp < 0x10000) {
      out[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
      out[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
      out[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      out += 3;
    } else {
      out[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
      out[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
      out[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
      out[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      out += 4;
    }
  }
  bytes.resize(static_cast<std::size_t>(out - first));
}

} // namespace

void AppendUtf16AsUtf8(std::string& bytes, std::u16string_view text, const char16_t* unitMap) {
  if (unitMap != nullptr) {
    AppendUtf8<true>(bytes, text, unitMap);
  } else {
    AppendUtf8<false>(bytes, text, nullptr);
  }
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
