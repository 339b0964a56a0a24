#pragma once
// What the charset layers share of ICU's converters: ownership, and the one U+FFFD a sequence that
// forms no character gives. For text/ alone; nothing above it sees ICU's converters.

#include "text/utf.h"

#include <memory>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

namespace kelvaro::icu {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

/// A to-Unicode callback that writes one U+FFFD for each sequence that forms no character. ICU
/// writes U+001A for "unassigned" and U+FFFD for "illegal" by default.
inline void WriteReplacement(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                             UConverterCallbackReason reason, UErrorCode* status) {
  if (reason > UCNV_IRREGULAR)
    return; // reset, close or clone: nothing to substitute
  *status = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, status);
}

} // namespace kelvaro::icu
