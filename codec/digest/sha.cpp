#include "codec/digest/sha.h"

#include "text/hex.h"

#include <openssl/evp.h>

namespace kelvaro::digest {
namespace {

Result<std::u16string> DigestHex(const EVP_MD* algorithm, std::string_view bytes, bool upper) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  // EVP_Digest fetches the algorithm from the loaded providers on each call, so it fails where
  // the configuration leaves it out, not only on a lack of memory.
  if (algorithm == nullptr ||
      EVP_Digest(bytes.data(), bytes.size(), digest, &size, algorithm, nullptr) != 1)
    return Fail(ErrorCode::Internal);
  std::u16string hex(2 * std::size_t{size}, u'\0');
  const char16_t* digits = upper ? kHexUpper : kHexLower;
  char16_t* write = hex.data();
  for (unsigned int i = 0; i < size; ++i)
    write = WriteHexByte(write, digest[i], digits);
  return hex;
}

} // namespace

Result<std::u16string> Sha1Hex(std::string_view bytes, bool upper) {
  return DigestHex(EVP_sha1(), bytes, upper);
}

Result<std::u16string> Sha256Hex(std::string_view bytes, bool upper) {
  return DigestHex(EVP_sha256(), bytes, upper);
}

Result<std::u16string> Sm3Hex(std::string_view bytes, bool upper) {
  return DigestHex(EVP_sm3(), bytes, upper);
}

} // namespace kelvaro::digest
