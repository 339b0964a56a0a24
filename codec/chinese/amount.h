#pragma once
// Money amounts in Chinese capital numerals, as written on cheques: 12.34 gives 壹拾贰圆叁角肆分.

#include "text/result.h"

#include <string>
#include <string_view>

namespace kelvaro {

inline constexpr std::u16string_view kAmountNotANumberMessage =
    u"错误：进行数字大小转换的输入参数只能为数字！";
inline constexpr std::u16string_view kAmountOutOfRangeMessage =
    u"错误：金额超出范围，整数部分最多十二位！";
inline constexpr std::u16string_view kAmountMessageTitle = u"系统";

/// The capital numeral of a digit 0..9 (零 壹 贰 ... 玖); empty for any other value.
[[nodiscard]] std::u16string_view CapitalDigit(int digit);

/// A plain decimal number (blanks around it, an optional sign, digits with at most one point, at
/// least one digit) as an amount: up to twelve integer digits in groups of 亿, 万 and units, then
/// 圆整 (or 圆 when the number is written with a point), then at most two decimals as 角 and 分,
/// cut and never rounded. Zero gives one space; a negative amount is "(负数)" and the amount of its
/// absolute value written in its shortest form (-1.50 reads as 1.5). Leading zeros are ignored.
/// Errors: NotANumber for any other text, OutOfRange for more than twelve integer digits.
[[nodiscard]] Result<std::u16string> AmountToCapitals(std::u16string_view input);

} // namespace kelvaro
