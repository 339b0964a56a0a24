// kelvaro-cli loads ICU and libcrypto the first time an operation calls into them, not when it
// starts. Mapping and relocating those libraries is most of the start-up of a process that hashes
// or encodes a few megabytes (about 7 of 14 ms on the machines we measure on), and the operations
// that pass UTF-8 through (the digests of MD5, Base64) never need them.
//
// Each function of theirs that the core calls is defined here under its own name, so the linker
// binds the core's calls to these definitions and the program names neither library. On its
// first call a definition opens the library and looks itself up there; later calls go straight
// through. The compiler checks each definition against the library's own header.
//
// The window, the tests and the other programs link the libraries as usual (CMakeLists.txt).

#include <dlfcn.h>
#include <openssl/evp.h>
#include <openssl/opensslv.h>
#include <stdexcept>
#include <string>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>
#include <unicode/uidna.h>
#include <unicode/utrans.h>
#include <unicode/uvernum.h>

namespace {

#define KELVARO_QUOTE(x) #x
#define KELVARO_NAME_OF(x) KELVARO_QUOTE(x) // after ICU's headers have added their version suffix

// A library that cannot be loaded is a broken installation, not a problem with the input: the
// operation stops with this message.
void* Open(const char* soname) {
  void* library = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr)
    throw std::runtime_error(std::string("cannot load ") + soname + ": " + dlerror());
  return library;
}

void* IcuCommon() {
  static void* const library = Open("libicuuc.so." U_ICU_VERSION_SHORT);
  return library;
}

void* IcuInternational() {
  static void* const library = Open("libicui18n.so." U_ICU_VERSION_SHORT);
  return library;
}

void* Crypto() {
  static void* const library = Open("libcrypto.so." KELVARO_NAME_OF(OPENSSL_SHLIB_VERSION));
  return library;
}

template <class Function>
Function* Find(void* library, const char* name) {
  void* found = dlsym(library, name);
  if (found == nullptr)
    throw std::runtime_error(std::string("cannot find ") + name + ": " + dlerror());
  return reinterpret_cast<Function*>(found);
}

} // namespace

// `result name parameters`, calling the library's `name` with `arguments`.
#define KELVARO_ON_USE(library, result, name, parameters, arguments)                               \
  extern "C" result name parameters {                                                             \
    static decltype(name)* const real = Find<decltype(name)>(library(), KELVARO_NAME_OF(name));   \
    return real arguments;                                                                         \
  }

// ---- ICU: code pages, character properties, IDNA -----------------------------------------------

KELVARO_ON_USE(IcuCommon, UConverter*, ucnv_open, (const char* name, UErrorCode* error),
               (name, error))
KELVARO_ON_USE(IcuCommon, void, ucnv_close, (UConverter * converter), (converter))
KELVARO_ON_USE(IcuCommon, void, ucnv_reset, (UConverter * converter), (converter))
KELVARO_ON_USE(IcuCommon, int32_t, ucnv_toUChars,
               (UConverter * converter, UChar* dest, int32_t capacity, const char* source,
                int32_t length, UErrorCode* error),
               (converter, dest, capacity, source, length, error))
KELVARO_ON_USE(IcuCommon, int32_t, ucnv_fromUChars,
               (UConverter * converter, char* dest, int32_t capacity, const UChar* source,
                int32_t length, UErrorCode* error),
               (converter, dest, capacity, source, length, error))
KELVARO_ON_USE(IcuCommon, void, ucnv_toUnicode,
               (UConverter * converter, UChar** target, const UChar* targetLimit,
                const char** source, const char* sourceLimit, int32_t* offsets, UBool flush,
                UErrorCode* error),
               (converter, target, targetLimit, source, sourceLimit, offsets, flush, error))
KELVARO_ON_USE(IcuCommon, void, ucnv_fromUnicode,
               (UConverter * converter, char** target, const char* targetLimit,
                const UChar** source, const UChar* sourceLimit, int32_t* offsets, UBool flush,
                UErrorCode* error),
               (converter, target, targetLimit, source, sourceLimit, offsets, flush, error))
KELVARO_ON_USE(IcuCommon, void, ucnv_getInvalidChars,
               (const UConverter* converter, char* bytes, int8_t* length, UErrorCode* error),
               (converter, bytes, length, error))
KELVARO_ON_USE(IcuCommon, void, ucnv_setSubstChars,
               (UConverter * converter, const char* bytes, int8_t length, UErrorCode* error),
               (converter, bytes, length, error))
KELVARO_ON_USE(IcuCommon, void, ucnv_setToUCallBack,
               (UConverter * converter, UConverterToUCallback action, const void* context,
                UConverterToUCallback* oldAction, const void** oldContext, UErrorCode* error),
               (converter, action, context, oldAction, oldContext, error))
KELVARO_ON_USE(IcuCommon, void, ucnv_setFromUCallBack,
               (UConverter * converter, UConverterFromUCallback action, const void* context,
                UConverterFromUCallback* oldAction, const void** oldContext, UErrorCode* error),
               (converter, action, context, oldAction, oldContext, error))
KELVARO_ON_USE(IcuCommon, void, ucnv_cbToUWriteUChars,
               (UConverterToUnicodeArgs * args, const UChar* source, int32_t length,
                int32_t offsetIndex, UErrorCode* error),
               (args, source, length, offsetIndex, error))
// The callbacks are handed to ICU, which calls them back through these definitions.
KELVARO_ON_USE(IcuCommon, void, UCNV_TO_U_CALLBACK_STOP,
               (const void* context, UConverterToUnicodeArgs* args, const char* units,
                int32_t length, UConverterCallbackReason reason, UErrorCode* error),
               (context, args, units, length, reason, error))
KELVARO_ON_USE(IcuCommon, void, UCNV_FROM_U_CALLBACK_SKIP,
               (const void* context, UConverterFromUnicodeArgs* args, const UChar* units,
                int32_t length, UChar32 codePoint, UConverterCallbackReason reason,
                UErrorCode* error),
               (context, args, units, length, codePoint, reason, error))

KELVARO_ON_USE(IcuCommon, int8_t, u_charType, (UChar32 c), (c))
KELVARO_ON_USE(IcuCommon, UBool, u_isalnum, (UChar32 c), (c))
KELVARO_ON_USE(IcuCommon, UBool, u_isupper, (UChar32 c), (c))
KELVARO_ON_USE(IcuCommon, UChar32, u_tolower, (UChar32 c), (c))

KELVARO_ON_USE(IcuCommon, UIDNA*, uidna_openUTS46, (uint32_t options, UErrorCode* error),
               (options, error))
KELVARO_ON_USE(IcuCommon, void, uidna_close, (UIDNA * idna), (idna))
KELVARO_ON_USE(IcuCommon, int32_t, uidna_nameToASCII,
               (const UIDNA* idna, const UChar* name, int32_t length, UChar* dest, int32_t capacity,
                UIDNAInfo* info, UErrorCode* error),
               (idna, name, length, dest, capacity, info, error))
KELVARO_ON_USE(IcuCommon, int32_t, uidna_nameToUnicode,
               (const UIDNA* idna, const UChar* name, int32_t length, UChar* dest, int32_t capacity,
                UIDNAInfo* info, UErrorCode* error),
               (idna, name, length, dest, capacity, info, error))

// ---- ICU: the Han-Latin transliterator of pinyin -----------------------------------------------

KELVARO_ON_USE(IcuInternational, UTransliterator*, utrans_openU,
               (const UChar* id, int32_t idLength, UTransDirection direction, const UChar* rules,
                int32_t rulesLength, UParseError* parseError, UErrorCode* error),
               (id, idLength, direction, rules, rulesLength, parseError, error))
KELVARO_ON_USE(IcuInternational, void, utrans_close, (UTransliterator * transliterator),
               (transliterator))
KELVARO_ON_USE(IcuInternational, void, utrans_transUChars,
               (const UTransliterator* transliterator, UChar* text, int32_t* length,
                int32_t capacity, int32_t start, int32_t* limit, UErrorCode* error),
               (transliterator, text, length, capacity, start, limit, error))

// ---- libcrypto: SHA-1, SHA-256, SM3, of a whole message or a block at a time ------------------

KELVARO_ON_USE(Crypto, int, EVP_Digest,
               (const void* data, size_t count, unsigned char* digest, unsigned int* size,
                const EVP_MD* type, ENGINE* engine),
               (data, count, digest, size, type, engine))
KELVARO_ON_USE(Crypto, EVP_MD_CTX*, EVP_MD_CTX_new, (void), ())
KELVARO_ON_USE(Crypto, void, EVP_MD_CTX_free, (EVP_MD_CTX * context), (context))
KELVARO_ON_USE(Crypto, int, EVP_DigestInit_ex,
               (EVP_MD_CTX * context, const EVP_MD* type, ENGINE* engine), (context, type, engine))
KELVARO_ON_USE(Crypto, int, EVP_DigestUpdate,
               (EVP_MD_CTX * context, const void* data, size_t count), (context, data, count))
KELVARO_ON_USE(Crypto, int, EVP_DigestFinal_ex,
               (EVP_MD_CTX * context, unsigned char* digest, unsigned int* size),
               (context, digest, size))
KELVARO_ON_USE(Crypto, const EVP_MD*, EVP_sha1, (void), ())
KELVARO_ON_USE(Crypto, const EVP_MD*, EVP_sha256, (void), ())
KELVARO_ON_USE(Crypto, const EVP_MD*, EVP_sm3, (void), ())
