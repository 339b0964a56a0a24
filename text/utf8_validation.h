#pragma once
// Whether bytes are well-formed UTF-8 (RFC 3629), as fast as the processor allows: the check that
// lets UTF-8 pass through kelvaro-cli's byte operations, where it would otherwise cost a third of
// an MD5. FirstInvalidUtf8 (text/utf.h) places the error when there is one.

#include <optional>
#include <string_view>

namespace kelvaro {

enum class Utf8Validator {
  StateMachine, ///< any processor: a byte a step, about a cycle each
  Avx2,         ///< x86-64 with AVX2: 32 bytes a step, by the three-nibble lookup
};

/// By the fastest validator the processor runs.
[[nodiscard]] bool IsValidUtf8(std::string_view bytes);

/// By the given validator, or nothing when the processor cannot run it (so that tests can hold
/// each to the strict decoder).
[[nodiscard]] std::optional<bool> IsValidUtf8With(Utf8Validator validator, std::string_view bytes);

} // namespace kelvaro
