#pragma once
// Money amounts in Chinese capital numerals, as written on cheques: 12.34 gives 壹拾贰圆叁角肆分,
// and back.

#include "text/result.h"

#include <string>
#include <string_view>

namespace kelvaro {

/// The capital numeral of a digit 0..9 (零 壹 贰 ... 玖); empty for any other value.
[[nodiscard]] std::u16string_view CapitalDigit(int digit);

/// A decimal number as an amount, in the form the rules for bills and cheques ask for: up to
/// sixteen integer digits in groups of 万亿, 亿, 万 and units, then 圆, then 角 and 分 cut (never
/// rounded) to two decimals. 整 follows 圆 when there is neither 角 nor 分, nothing follows a 角,
/// and a zero 分 is not written: 12, 12. and 12.00 give 壹拾贰圆整, 20.10 gives 贰拾圆壹角, 0.05
/// 零伍分. An amount that is zero to the 分 (0, 0.001, -0) is 零圆整; any other negative one is
/// "(负数)" and the amount of its absolute value. Leading zeros are ignored.
///
/// The number is read as people paste it: blanks (spaces, tabs, U+3000) and line breaks around
/// it, an optional sign (+ - or full-width ＋ －), then optionally ¥ or ￥, then digits with at
/// most one point, at least one digit, then optionally 元 or 圆. Digits, point and sign may be
/// full-width (１２．５), and the integer digits may be grouped by commas between groups of exactly
/// three (1,234.56; not 1,23 nor 1234,567). The plain number this leaves (12.5 from ￥12.5元) is
/// what the words are written from, digit by digit. Errors: NotANumber for any other text,
/// OutOfRange for more than sixteen integer digits (position: the first character after the
/// blanks).
[[nodiscard]] Result<std::u16string> AmountToCapitals(std::u16string_view input);

/// The number an amount in Chinese numerals stands for, the inverse of AmountToCapitals: 壹拾贰圆
/// 叁角肆分 gives 12.34, (负数)伍圆整 gives -5, 伍角 gives 0.5, 壹圆零伍分 gives 1.05.
///
/// Reads, blanks and line breaks anywhere being skipped: an optional sign "(负数)", "（负数）" or
/// 负; an optional 人民币; the integer in capitals (零 壹 贰 叁 肆 伍 陆 柒 捌 玖 with 拾 佰 仟 万
/// 亿, and 万 before 亿 as in 壹万壹亿) or everyday numerals (〇 一 二 三 四 五 六 七 八 九 两 with
/// 十 百 千; 十 stands alone at the start of a group or after 零, 十二 being 12 and 一千零十 1010,
/// and a digit right after a unit stands one place below it, 一百五 being 150); 圆 or 元; 角 and 分
/// each after a digit; 整 or 正 at the end. The decimals are those written: a 角 gives one, a 分
/// two (壹圆伍 角零分 gives 1.50, 壹拾贰圆零 gives 12). The integer is written without leading
/// zeros, 0 when only decimals are written, and a negative amount with "-". Errors: NotAnAmount, at
/// the first character that does not fit, for any other text and for text without a numeral; the
/// grammar allows no integer of more than sixteen digits.
[[nodiscard]] Result<std::u16string> CapitalsToNumber(std::u16string_view text);

} // namespace kelvaro
