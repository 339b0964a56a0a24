#pragma once
// SHA-1, SHA-256 (FIPS 180-4) and SM3 (GB/T 32905-2016) of a byte string, written as hexadecimal
// digits. The caller chooses the bytes: the text in whichever charset the user picked.

#include "text/result.h"

#include <string>
#include <string_view>

struct evp_md_ctx_st; // libcrypto's EVP_MD_CTX

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

enum class ShaAlgorithm { Sha1, Sha256, Sm3 };

/// One of the digests above over a message given a piece at a time (standard input read in
/// blocks): after Add of each piece in order, Finish gives what Sha1Hex, Sha256Hex or Sm3Hex gives
/// for the pieces joined, and fails (Internal) where they would. Finish ends the digest: add
/// nothing after it.
class ShaStream {
public:
  explicit ShaStream(ShaAlgorithm algorithm);
  ~ShaStream();
  ShaStream(const ShaStream&) = delete;
  ShaStream& operator=(const ShaStream&) = delete;

  void Add(std::string_view bytes);
  [[nodiscard]] Result<std::u16string> Finish(bool upper);

private:
  evp_md_ctx_st* m_context; ///< null when libcrypto could not begin the digest
  bool m_failed = false;
};

} // namespace kelvaro::digest
