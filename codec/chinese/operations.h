#pragma once
// The Chinese conversions as registry operations: what each shows when it refuses its input.

#include "registry/operations.h"

namespace kelvaro {

/// AmountToCapitals; a refused amount empties the target box and shows why (title "系统", stop
/// icon).
[[nodiscard]] Outcome AmountOperation(std::u16string_view input, const OperationOptions& options);

/// TraditionalToSimplified; without OpenCC's data the box keeps its content and a message says why.
[[nodiscard]] Outcome ToSimplifiedOperation(std::u16string_view input,
                                            const OperationOptions& options);

/// SimplifiedToTraditional; refused as ToSimplifiedOperation.
[[nodiscard]] Outcome ToTraditionalOperation(std::u16string_view input,
                                             const OperationOptions& options);

} // namespace kelvaro
