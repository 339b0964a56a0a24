#include "text/utf8_validation.h"

#include "text/processor.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace kelvaro {
namespace {

// UTF-8 as a state machine whose states are multiples of six: the row of a byte holds, at bit
// `state`, the state that byte leads to, so a step is one shift that does not wait on the table.
// A stride of bytes costs about a cycle each, with no branch on what the bytes are.
namespace utf8_states {
constexpr int kAccept = 0, kError = 6, kOneLeft = 12, kTwoLeft = 18, kAfterE0 = 24, kAfterED = 30,
              kAfterF0 = 36, kAfterF1 = 42, kAfterF4 = 48;

constexpr std::uint64_t Row(unsigned byte) {
  const auto in = [byte](unsigned low, unsigned high) { return byte >= low && byte <= high; };
  const auto next = [&](int state) -> std::uint64_t {
    switch (state) {
    case kAccept:
      return byte < 0x80                       ? kAccept
             : in(0xC2, 0xDF)                  ? kOneLeft
             : byte == 0xE0                    ? kAfterE0
             : byte == 0xED                    ? kAfterED
             : in(0xE1, 0xEF)                  ? kTwoLeft
             : byte == 0xF0                    ? kAfterF0
             : in(0xF1, 0xF3)                  ? kAfterF1
             : byte == 0xF4                    ? kAfterF4
                                               : kError;
    case kOneLeft:
      return in(0x80, 0xBF) ? kAccept : kError;
    case kTwoLeft:
      return in(0x80, 0xBF) ? kOneLeft : kError;
    case kAfterE0:
      return in(0xA0, 0xBF) ? kOneLeft : kError;
    case kAfterED:
      return in(0x80, 0x9F) ? kOneLeft : kError;
    case kAfterF0:
      return in(0x90, 0xBF) ? kTwoLeft : kError;
    case kAfterF1:
      return in(0x80, 0xBF) ? kTwoLeft : kError;
    case kAfterF4:
      return in(0x80, 0x8F) ? kTwoLeft : kError;
    default:
      return kError;
    }
  };
  std::uint64_t row = 0;
  for (int state = kAccept; state <= kAfterF4; state += 6)
    row |= next(state) << state;
  return row;
}

constexpr std::array<std::uint64_t, 256> kRows = [] {
  std::array<std::uint64_t, 256> rows{};
  for (unsigned byte = 0; byte < 256; ++byte)
    rows[byte] = Row(byte);
  return rows;
}();
} // namespace utf8_states

bool IsValidByStates(std::string_view bytes) {
  using namespace utf8_states;
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  std::uint64_t state = kAccept;
  std::size_t i = 0;
  while (i < bytes.size()) {
    // Eight ASCII bytes at a time between characters: ASCII runs cost nearly nothing this way.
    if (state == kAccept && i + 8 <= bytes.size()) {
      std::uint64_t eight;
      std::memcpy(&eight, in + i, 8);
      if ((eight & 0x8080808080808080u) == 0) {
        i += 8;
        continue;
      }
    }
    // An error state never leaves itself, so a stride is checked once, at its end.
    const std::size_t end = std::min(bytes.size(), i + 64);
    for (; i < end; ++i)
      state = kRows[in[i]] >> state & 63;
    if (state == kError)
      return false;
  }
  return state == kAccept;
}

#if defined(__x86_64__)

// Every error of UTF-8 shows in two adjacent bytes, given whether a third or fourth byte of a
// sequence is due there (Keiser and Lemire, "Validating UTF-8 in less than one instruction per
// byte", 2021). Each kind of error is a bit; three tables, indexed by the first byte's high and
// low nibble and the second byte's high nibble, give the kinds each nibble allows, and the
// pair's error is what all three allow.
namespace nibbles {
constexpr std::uint8_t kTooShort = 1 << 0;    // a lead, then no continuation
constexpr std::uint8_t kTooLong = 1 << 1;     // ASCII, then a continuation
constexpr std::uint8_t kOverlong3 = 1 << 2;   // E0 80..9F
constexpr std::uint8_t kTooLarge = 1 << 3;    // F4 90..BF, F5..FF
constexpr std::uint8_t kSurrogate = 1 << 4;   // ED A0..BF
constexpr std::uint8_t kOverlong2 = 1 << 5;   // C0, C1
constexpr std::uint8_t kTooLarge1000 = 1 << 6; // F5..FF 80..8F
constexpr std::uint8_t kOverlong4 = 1 << 6;   // F0 80..8F
constexpr std::uint8_t kTwoContinuations = 1 << 7; // unless a third or fourth byte is due
constexpr std::uint8_t kCarry = kTooShort | kTooLong | kTwoContinuations;

constexpr std::array<std::uint8_t, 16> kFirstHigh = {
    kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong,
    kTwoContinuations, kTwoContinuations, kTwoContinuations, kTwoContinuations,
    kTooShort | kOverlong2,                           // C
    kTooShort,                                        // D
    kTooShort | kOverlong3 | kSurrogate,              // E
    kTooShort | kTooLarge | kTooLarge1000 | kOverlong4, // F
};
constexpr std::uint8_t kLarge = kCarry | kTooLarge | kTooLarge1000;
constexpr std::array<std::uint8_t, 16> kFirstLow = {
    kCarry | kOverlong3 | kOverlong2 | kOverlong4, // 0
    kCarry | kOverlong2,                           // 1
    kCarry, kCarry,                                // 2, 3
    kCarry | kTooLarge,                            // 4
    kLarge, kLarge, kLarge, kLarge, kLarge, kLarge, kLarge, kLarge, // 5..C
    kLarge | kSurrogate,                           // D
    kLarge, kLarge,                                // E, F
};
constexpr std::uint8_t kContinuation = kTooLong | kOverlong2 | kTwoContinuations;
constexpr std::array<std::uint8_t, 16> kSecondHigh = {
    kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
    kContinuation | kOverlong3 | kTooLarge1000 | kOverlong4, // 8
    kContinuation | kOverlong3 | kTooLarge,                  // 9
    kContinuation | kSurrogate | kTooLarge,                  // A
    kContinuation | kSurrogate | kTooLarge,                  // B
    kTooShort, kTooShort, kTooShort, kTooShort,
};
} // namespace nibbles

__attribute__((target("avx2"))) __m256i Table(const std::array<std::uint8_t, 16>& table) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(table.data())));
}

// The bytes `back` places before each byte of `input`, the first ones from the block before.
template <int kBack>
__attribute__((target("avx2"))) __m256i Before(__m256i input, __m256i previous) {
  return _mm256_alignr_epi8(input, _mm256_permute2x128_si256(previous, input, 0x21), 16 - kBack);
}

class Avx2Validator {
public:
  __attribute__((target("avx2"))) Avx2Validator()
      : m_firstHigh(Table(nibbles::kFirstHigh)), m_firstLow(Table(nibbles::kFirstLow)),
        m_secondHigh(Table(nibbles::kSecondHigh)), m_nibble(_mm256_set1_epi8(0x0F)),
        m_error(_mm256_setzero_si256()), m_previous(_mm256_setzero_si256()),
        m_previousIncomplete(_mm256_setzero_si256()),
        // A block's last three bytes leave a sequence open when they are a lead of any length,
        // of three or four bytes, of four bytes.
        m_incompleteAbove(_mm256_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                           -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                           -1, static_cast<char>(0xEF), static_cast<char>(0xDF),
                                           static_cast<char>(0xBF))) {}

  __attribute__((target("avx2"))) void Check(__m256i input) {
    if (_mm256_movemask_epi8(input) == 0) {
      // All ASCII: only a sequence the block before left open is an error.
      m_error = _mm256_or_si256(m_error, m_previousIncomplete);
    } else {
      const __m256i first = Before<1>(input, m_previous);
      const __m256i pairs = _mm256_and_si256(
          _mm256_and_si256(Lookup(m_firstHigh, High(first)), Lookup(m_firstLow, Low(first))),
          Lookup(m_secondHigh, High(input)));
      // A third or fourth byte is due after E0..FF two bytes back or F0..FF three bytes back.
      const __m256i due = _mm256_and_si256(
          _mm256_or_si256(_mm256_subs_epu8(Before<2>(input, m_previous), _mm256_set1_epi8(0x60)),
                          _mm256_subs_epu8(Before<3>(input, m_previous), _mm256_set1_epi8(0x70))),
          _mm256_set1_epi8(static_cast<char>(0x80)));
      m_error = _mm256_or_si256(m_error, _mm256_xor_si256(pairs, due));
    }
    m_previousIncomplete = _mm256_subs_epu8(input, m_incompleteAbove);
    m_previous = input;
  }

  /// After the last block: whether any block held an error, or the last one left a sequence open.
  __attribute__((target("avx2"))) bool Valid() const {
    const __m256i error = _mm256_or_si256(m_error, m_previousIncomplete);
    return _mm256_testz_si256(error, error) != 0;
  }

private:
  __attribute__((target("avx2"))) __m256i High(__m256i bytes) const {
    return _mm256_and_si256(_mm256_srli_epi16(bytes, 4), m_nibble);
  }
  __attribute__((target("avx2"))) __m256i Low(__m256i bytes) const {
    return _mm256_and_si256(bytes, m_nibble);
  }
  __attribute__((target("avx2"))) static __m256i Lookup(__m256i table, __m256i nibbles) {
    return _mm256_shuffle_epi8(table, nibbles);
  }

  __m256i m_firstHigh, m_firstLow, m_secondHigh, m_nibble;
  __m256i m_error;              // the errors of every block so far, as bits
  __m256i m_previous;           // the block before
  __m256i m_previousIncomplete; // non-zero where the block before left a sequence open
  __m256i m_incompleteAbove;
};

__attribute__((target("avx2"))) bool IsValidByAvx2(std::string_view bytes) {
  Avx2Validator validator;
  std::size_t i = 0;
  for (; i + 32 <= bytes.size(); i += 32)
    validator.Check(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes.data() + i)));
  if (i < bytes.size()) {
    // The rest, followed by ASCII zeros: a sequence the bytes leave open is then too short.
    alignas(32) std::array<char, 32> last{};
    std::memcpy(last.data(), bytes.data() + i, bytes.size() - i);
    validator.Check(_mm256_load_si256(reinterpret_cast<const __m256i*>(last.data())));
  }
  return validator.Valid();
}

#endif

} // namespace

bool IsValidUtf8(std::string_view bytes) {
#if defined(__x86_64__)
  if (ProcessorHasAvx2())
    return IsValidByAvx2(bytes);
#endif
  return IsValidByStates(bytes);
}

std::optional<bool> IsValidUtf8With(Utf8Validator validator, std::string_view bytes) {
  switch (validator) {
  case Utf8Validator::StateMachine:
    return IsValidByStates(bytes);
  case Utf8Validator::Avx2:
#if defined(__x86_64__)
    if (ProcessorHasAvx2())
      return IsValidByAvx2(bytes);
#endif
    return std::nullopt;
  }
  return std::nullopt;
}

} // namespace kelvaro
