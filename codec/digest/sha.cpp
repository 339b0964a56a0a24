#include "codec/digest/sha.h"

#include "text/hex.h"

#include <openssl/evp.h>

namespace kelvaro::digest {
namespace {

std::u16string HexOfDigest(const unsigned char* digest, unsigned int size, bool upper) {
  std::u16string hex(2 * std::size_t{size}, u'\0');
  const char16_t* digits = upper ? kHexUpper : kHexLower;
  char16_t* write = hex.data();
  for (unsigned int i = 0; i < size; ++i)
    write = WriteHexByte(write, digest[i], digits);
  return hex;
}

Result<std::u16string> DigestHex(const EVP_MD* algorithm, std::string_view bytes, bool upper) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  // EVP_Digest fetches the algorithm from the loaded providers on each call, so it fails where
  // the configuration leaves it out, not only on a lack of memory.
  if (algorithm == nullptr ||
      EVP_Digest(bytes.data(), bytes.size(), digest, &size, algorithm, nullptr) != 1)
    return Fail(ErrorCode::Internal);
  return HexOfDigest(digest, size, upper);
}

const EVP_MD* AlgorithmOf(ShaAlgorithm algorithm) {
  switch (algorithm) {
  case ShaAlgorithm::Sha1:
    return EVP_sha1();
  case ShaAlgorithm::Sha256:
    return EVP_sha256();
  case ShaAlgorithm::Sm3:
    return EVP_sm3();
  }
  return nullptr;
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

// A digest that libcrypto cannot begin or continue is remembered, not thrown: Finish fails as the
// whole-message functions do, after the caller has read (and checked) all of its input.
ShaStream::ShaStream(ShaAlgorithm algorithm) : m_context(EVP_MD_CTX_new()) {
  const EVP_MD* md = AlgorithmOf(algorithm);
  m_failed =
      m_context == nullptr || md == nullptr || EVP_DigestInit_ex(m_context, md, nullptr) != 1;
}

ShaStream::~ShaStream() { EVP_MD_CTX_free(m_context); }

void ShaStream::Add(std::string_view bytes) {
  if (!m_failed && !bytes.empty())
    m_failed = EVP_DigestUpdate(m_context, bytes.data(), bytes.size()) != 1;
}

Result<std::u16string> ShaStream::Finish(bool upper) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (m_failed || EVP_DigestFinal_ex(m_context, digest, &size) != 1) {
    m_failed = true;
    return Fail(ErrorCode::Internal);
  }
  m_failed = true; // a second Finish fails instead of reading a finished context
  return HexOfDigest(digest, size, upper);
}

} // namespace kelvaro::digest
