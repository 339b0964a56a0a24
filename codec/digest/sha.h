#pragma once
// SHA-1, SHA-256 (FIPS 180-4) and SM3 (GB/T 32905-2016) of a byte string, written as hexadecimal
// digits. The caller chooses the bytes: the text in whichever charset the user picked.

#include "text/result.h"

#include <string>
#include <string_view>

namespace kelvaro::digest {

/// The 40 hexadecimal digits of the SHA-1 of `bytes`, lower case, capitals when `upper`.
/// Computed by OpenSSL's libcrypto. Fails (Internal) only when libcrypto cannot give the digest:
/// out of memory, or a configuration whose providers lack the algorithm.
[[nodiscard]] Result<std::u16string> Sha1Hex(std::string_view bytes, bool upper = false);

/// The 64 hexadecimal digits of the SHA-256 of `bytes`; otherwise as Sha1Hex.
[[nodiscard]] Result<std::u16string> Sha256Hex(std::string_view bytes, bool upper = false);

/// The 64 hexadecimal digits of the SM3 of `bytes`; otherwise as Sha1Hex. SM3 is never part of
/// a FIPS-only configuration, the likeliest cause of a failure.
[[nodiscard]] Result<std::u16string> Sm3Hex(std::string_view bytes, bool upper = false);

} // namespace kelvaro::digest
