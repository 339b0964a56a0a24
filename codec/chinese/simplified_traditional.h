#pragma once
// Simplified <-> traditional Chinese with OpenCC's dictionaries (its t2s and s2t configurations):
// the longest phrase the dictionary knows at each position, else the character's first form.
// The dictionaries are read on the first conversion in each direction, not before.

#include "text/result.h"

#include <string>
#include <string_view>

namespace kelvaro {

/// Traditional to simplified on the text's code page 936 bytes up to the first zero byte, keeping
/// their length: every traditional character becomes its simplified form, everything else is
/// copied, and where a phrase's simplified form would take another number of bytes (or a
/// character code page 936 lacks), that phrase is converted character by character instead,
/// each character kept where its own form would change the length. DataMissing when the
/// dictionaries cannot be read.
[[nodiscard]] Result<std::u16string> TraditionalToSimplified(std::u16string_view text);

/// Simplified to traditional, by phrase where the dictionary knows one (头发 gives 頭髮, 发展
/// 發展). Characters outside the dictionary, ASCII among them, are copied. DataMissing when the
/// dictionaries cannot be read.
[[nodiscard]] Result<std::u16string> SimplifiedToTraditional(std::u16string_view text);

/// Reads the configurations from `directory` from now on (empty: where OpenCC keeps them) and
/// forgets the dictionaries read so far.
void UseOpenccDataDirectory(std::string directory);

} // namespace kelvaro
