#pragma once
// Simplified <-> traditional Chinese by OpenCC's configurations and dictionaries, built into the
// program (resources/opencc): t2s, s2t and the regional s2twp, s2tw, s2hk, tw2sp, tw2t and hk2s.
// Each converts as its configuration says: compatibility ideographs normalised to the unified
// ones, the text cut at the longest phrases of the segmentation dictionary, and each piece taken
// through the chain of conversions, each of which writes the longest phrase its dictionaries know
// at each position, else the character's first form, else the character itself. Linear in the
// text. Each configuration is read on its first use, not before; conversions may run on several
// threads at once.

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

/// Traditional to simplified on the text's code page 936 bytes up to the first zero byte, keeping
/// their length: every traditional character becomes its simplified form, everything else is
/// copied, and where a phrase's simplified form would take another number of bytes (or a
/// character code page 936 lacks), that phrase is converted character by character instead,
/// each character kept where its own form would change the length.
[[nodiscard]] std::u16string TraditionalToSimplified(std::u16string_view text);

/// Traditional to simplified by the whole t2s conversion, phrases and characters beyond code
/// page 936 included: what traditional-to-simplified is when the boxes keep every character and
/// the byte length has nothing left to protect.
[[nodiscard]] std::u16string TraditionalToSimplifiedWhole(std::u16string_view text);

/// Simplified to traditional (s2t), by phrase where the dictionary knows one (头发 gives 頭髮,
/// 发展 發展). Characters outside the dictionary, ASCII among them, are copied.
[[nodiscard]] std::u16string SimplifiedToTraditional(std::u16string_view text);

/// Simplified to traditional as written in Taiwan, with Taiwan's words (s2twp): 软件 gives 軟體,
/// 鼠标 滑鼠, 信息 資訊.
[[nodiscard]] std::u16string SimplifiedToTaiwan(std::u16string_view text);

/// Simplified to traditional in Taiwan's character forms, the words kept (s2tw): 软件 gives 軟件,
/// 里 裡.
[[nodiscard]] std::u16string SimplifiedToTaiwanCharacters(std::u16string_view text);

/// Simplified to traditional as written in Hong Kong (s2hk).
[[nodiscard]] std::u16string SimplifiedToHongKong(std::u16string_view text);

/// Traditional as written in Taiwan to simplified, with Taiwan's words turned into the mainland's
/// (tw2sp): 軟體 gives 软件.
[[nodiscard]] std::u16string TaiwanToSimplified(std::u16string_view text);

/// Traditional in Taiwan's character forms to OpenCC's standard traditional ones (tw2t): 裡 gives
/// 裏; the words are kept.
[[nodiscard]] std::u16string TaiwanToTraditional(std::u16string_view text);

/// Traditional as written in Hong Kong to simplified (hk2s).
[[nodiscard]] std::u16string HongKongToSimplified(std::u16string_view text);

/// The text converted by the built-in configuration `configuration` ("s2hkp.json"); nullopt
/// when none has that name.
[[nodiscard]] std::optional<std::u16string> ConvertByConfiguration(std::string_view configuration,
                                                                   std::u16string_view text);

} // namespace kelvaro
