#pragma once
// Hanyu Pinyin of Chinese text: 中文 gives zhōng wén, zhong1 wen2 or zw.
//
// Readings come by phrase where a phrase table knows the characters around (重庆 chóng qìng, 重要
// zhòng yào, 姓单 xìng shàn, 蚌埠 bèng bù): at each Han character the longest phrase of the table
// that starts there wins, as in the simplified-traditional converter. A character outside every
// phrase takes its most common reading. Readings are citation tones, without tone sandhi (一个 yī
// gè, 不是 bù shì); the neutral tone has no mark (的 de). The table (resources/pinyin_phrases.bin)
// is read on the first conversion; ICU's Han-Latin reads the characters beyond the Basic
// Multilingual Plane.

#include <string>
#include <string_view>

namespace kelvaro {

enum class PinyinStyle {
  ToneMarks,   ///< zhōng wén, lǜ
  ToneNumbers, ///< zhong1 wen2, lv4: the tone's number after the syllable, none for the neutral
               ///< tone, ü written v
  Initials,    ///< zw: the first letter of each syllable
};

/// The pinyin of every Han character of the text that has a reading (both halves of a surrogate
/// pair count as one character), in lower case.
///
/// ToneMarks and ToneNumbers: one space between two syllables, and between a syllable and a
/// neighbouring letter or digit of any script: 我用Qt写代码 gives wǒ yòng Qt xiě dài mǎ. Every
/// other character, punctuation (Chinese or ASCII), symbols and blanks among them, is copied as it
/// is with nothing added around it: 你好，世界！ gives nǐ hǎo，shì jiè！, 中 文 gives zhōng wén. A
/// combining mark is copied right after what stands before it, a syllable included. Line breaks
/// (CR, LF) are copied and nothing is added at either side of them, so line N of the result is
/// line N of the text.
///
/// Initials: each syllable's first letter, nothing between them, every other character copied:
/// 中文 gives zw, 我用Qt写代码 gives wyQtxdm.
///
/// Never fails; a text without Han characters comes back unchanged.
[[nodiscard]] std::u16string Pinyin(std::u16string_view text, PinyinStyle style);

/// A syllable with tone marks (zhōng, lǜ, ê̄) as ToneNumbers writes it (zhong1, lv4, ê1).
[[nodiscard]] std::u16string PinyinToneNumbers(std::u16string_view syllable);

} // namespace kelvaro
