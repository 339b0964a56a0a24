#pragma once
// Generated text for round-trip properties: GB2312 level-1 hanzi, optionally mixed with printable
// ASCII and CR LF line breaks. Made as code-page bytes and decoded, so every character is one that
// code page 936 holds and that GB2312 assigns.

#include <random>
#include <string>

namespace kelvaro::testing {

enum class TextMix { HanziOnly, WithAscii, WithAsciiAndLineBreaks };

std::u16string GenerateGb2312Text(std::mt19937& random, std::size_t characters,
                                  TextMix mix = TextMix::WithAsciiAndLineBreaks);

/// Text of every kind the charsets meet: ASCII, GB2312, GBK-only and BIG5-only characters, kana,
/// Hangul, Latin letters, emoji, CR, LF and CR LF; with `withNul`, some U+0000 too.
std::u16string GenerateMixedText(std::mt19937& random, std::size_t units, bool withNul = false);

/// How many rounds a property test runs: `small` unless KELVARO_PROPERTY_ROUNDS says otherwise
/// (scripts/fuzz runs the full counts).
int PropertyRounds(int small);

} // namespace kelvaro::testing
