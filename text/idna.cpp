#include "text/idna.h"

#include <memory>
#include <unicode/uidna.h>

namespace kelvaro {
namespace {

struct IdnaClose {
  void operator()(UIDNA* idna) const { uidna_close(idna); }
};

// One immutable UTS #46 processor for the process; ICU allows concurrent use of it.
const UIDNA* Idna() {
  static const std::unique_ptr<UIDNA, IdnaClose> idna = [] {
    UErrorCode status = U_ZERO_ERROR;
    // Nontransitional, as current browsers and resolvers read names: ß and ς stay themselves
    // instead of turning into ss and σ.
    std::unique_ptr<UIDNA, IdnaClose> opened(
        uidna_openUTS46(UIDNA_NONTRANSITIONAL_TO_ASCII | UIDNA_NONTRANSITIONAL_TO_UNICODE |
                            UIDNA_CHECK_BIDI | UIDNA_CHECK_CONTEXTJ,
                        &status));
    if (U_FAILURE(status))
      opened.reset();
    return opened;
  }();
  return idna.get();
}

using NameConversion = int32_t (*)(const UIDNA*, const UChar*, int32_t, UChar*, int32_t, UIDNAInfo*,
                                   UErrorCode*);

std::optional<std::u16string> Convert(std::u16string_view name, NameConversion convert) {
  const UIDNA* idna = Idna();
  if (idna == nullptr || name.empty() || name.size() > kLongestIdnaName)
    return std::nullopt;
  const auto length = static_cast<int32_t>(name.size());
  std::u16string converted(name.size() + 64, u'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    UErrorCode status = U_ZERO_ERROR;
    UIDNAInfo info = UIDNA_INFO_INITIALIZER;
    const int32_t written = convert(idna, name.data(), length, converted.data(),
                                    static_cast<int32_t>(converted.size()), &info, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      converted.assign(static_cast<std::size_t>(written), u'\0');
      continue;
    }
    if (U_FAILURE(status) || info.errors != 0)
      return std::nullopt;
    converted.resize(static_cast<std::size_t>(written));
    return converted;
  }
  return std::nullopt;
}

} // namespace

std::optional<std::u16string> IdnaToAscii(std::u16string_view name) {
  std::optional<std::u16string> ascii = Convert(name, uidna_nameToASCII);
  if (ascii) {
    for (const char16_t unit : *ascii) {
      if (unit >= 0x80)
        return std::nullopt;
    }
  }
  return ascii;
}

std::optional<std::u16string> IdnaToUnicode(std::u16string_view name) {
  return Convert(name, uidna_nameToUnicode);
}

} // namespace kelvaro
