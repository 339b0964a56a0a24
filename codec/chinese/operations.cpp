#include "codec/chinese/operations.h"

#include "codec/chinese/amount.h"
#include "codec/chinese/simplified_traditional.h"

namespace kelvaro {
namespace {

Outcome FromOptional(std::optional<std::u16string> converted) {
  if (converted)
    return Outcome::Converted(std::move(*converted));
  return Outcome::Refused(
      {std::u16string(kChineseDataMissingMessage), kMessageStyleCritical, std::u16string()});
}

} // namespace

Outcome AmountOperation(std::u16string_view input, const OperationOptions&) {
  Result<std::u16string> words = AmountToCapitals(input);
  if (words)
    return Outcome::Converted(std::move(*words));
  const std::u16string_view text = words.error().code == ErrorCode::OutOfRange
                                       ? kAmountOutOfRangeMessage
                                       : kAmountNotANumberMessage;
  // Text2 is emptied and the message shown, as for any amount the cheque cannot carry.
  return Outcome{std::u16string(), Message{std::u16string(text), kMessageStyleCritical,
                                           std::u16string(kAmountMessageTitle)}};
}

Outcome ToSimplifiedOperation(std::u16string_view input, const OperationOptions&) {
  return FromOptional(TraditionalToSimplified(input));
}

Outcome ToTraditionalOperation(std::u16string_view input, const OperationOptions&) {
  return FromOptional(SimplifiedToTraditional(input));
}

} // namespace kelvaro
