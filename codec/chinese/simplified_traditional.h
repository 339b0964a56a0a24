#pragma once
// Simplified <-> traditional Chinese with OpenCC's configurations and dictionaries (t2s, s2t and
// the regional s2twp, s2hk, tw2sp, hk2s), converted as the `opencc` command converts: the longest
// phrase the dictionaries know at each position, else the character's first form, through each
// conversion of the configuration's chain in turn. Each configuration is read on its first use,
// not before; conversions may run on several threads at once.

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

/// Traditional to simplified by OpenCC's whole t2s conversion, phrases and characters beyond code
/// page 936 included: what traditional-to-simplified is when the boxes keep every character and
/// the byte length has nothing left to protect. DataMissing when the dictionaries cannot be read.
[[nodiscard]] Result<std::u16string> TraditionalToSimplifiedWhole(std::u16string_view text);

/// Simplified to traditional, by phrase where the dictionary knows one (头发 gives 頭髮, 发展
/// 發展). Characters outside the dictionary, ASCII among them, are copied. DataMissing when the
/// dictionaries cannot be read.
[[nodiscard]] Result<std::u16string> SimplifiedToTraditional(std::u16string_view text);

/// Simplified to traditional as written in Taiwan, with Taiwan's words (OpenCC's s2twp): 软件 gives
/// 軟體, 鼠标 滑鼠, 信息 資訊. DataMissing when the dictionaries cannot be read.
[[nodiscard]] Result<std::u16string> SimplifiedToTaiwan(std::u16string_view text);

/// Simplified to traditional as written in Hong Kong (OpenCC's s2hk). DataMissing when the
/// dictionaries cannot be read.
[[nodiscard]] Result<std::u16string> SimplifiedToHongKong(std::u16string_view text);

/// Traditional as written in Taiwan to simplified, with Taiwan's words turned into the mainland's
/// (OpenCC's tw2sp): 軟體 gives 软件. DataMissing when the dictionaries cannot be read.
[[nodiscard]] Result<std::u16string> TaiwanToSimplified(std::u16string_view text);

/// Traditional as written in Hong Kong to simplified (OpenCC's hk2s). DataMissing when the
/// dictionaries cannot be read.
[[nodiscard]] Result<std::u16string> HongKongToSimplified(std::u16string_view text);

/// Reads the configurations from `directory` from now on (empty: where OpenCC keeps them) and
/// forgets the dictionaries read so far.
void UseOpenccDataDirectory(std::string directory);

} // namespace kelvaro
