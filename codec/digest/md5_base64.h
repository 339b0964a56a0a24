#pragma once
// MD5 over a text's character codes rather than its bytes, written in Base64.

#include <string>
#include <string_view>

namespace kelvaro::digest {

/// MD5 of the text's characters, one unit per UTF-16 code unit: its code-page-936 code as a
/// signed 16-bit value (63 for a character the code page lacks, 中 gives -10544), fed through
/// `Md5WordArray`, so a double-byte character also sets the higher bits of its word. The 16 digest
/// bytes come out as standard Base64: always 24 characters ending in "==". Never fails. For ASCII
/// text the digest equals that of `Md5Hex`; for double-byte text it differs on purpose.
[[nodiscard]] std::u16string Md5Base64(std::u16string_view text);

} // namespace kelvaro::digest
