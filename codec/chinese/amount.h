#pragma once
// Money amounts in Chinese capital numerals, as written on cheques: 12.34 gives 壹拾贰圆叁角肆分.

#include "text/result.h"

#include <string>
#include <string_view>

namespace kelvaro {

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
