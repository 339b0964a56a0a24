#pragma once
// Quoted-printable (RFC 2045, section 6.7) of the text's bytes in a charset, as mail bodies carry
// it: =E4=B8=AD is 中 in UTF-8.

#include "text/charset.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

/// Quoted-printable of the text's bytes in the charset (a character it lacks is the byte "?").
/// Each line of the text (ended by CR LF, a lone CR or a lone LF) is encoded on its own and the
/// lines are joined by hard breaks, CR LF. Bytes 33..126 other than "=" stay as they are, a
/// space or tab stays unless it ends a line (then =20 or =09), every other byte is "=" and two
/// capital hexadecimal digits. Encoded lines longer than 76 characters are cut by soft breaks
/// ("=" CR LF) so that no line, its "=" included, passes 76, never inside an escape. Never fails;
/// any length.
[[nodiscard]] std::u16string QuotedPrintableEncode(std::u16string_view text,
                                                   Charset charset = Charset::Gbk);

/// Reads quoted-printable back: soft breaks ("=" at a line's end, blanks after it allowed) vanish,
/// "=" and two hexadecimal digits of either case give that byte, and every hard line break (CR
/// LF, lone CR or lone LF) gives CR LF. Blanks at the end of a line are dropped, as RFC 2045 has
/// decoders do: transport adds them, and the encoder writes its own as =20 and =09. The bytes of each line are decoded in the charset on their
/// own, each sequence that forms no character giving U+FFFD. An "=" that begins neither a soft
/// break nor an escape stays as it is (RFC 2045's advice for robust decoders); so do characters
/// outside ASCII. Never fails; any length.
[[nodiscard]] std::u16string QuotedPrintableDecode(std::u16string_view text,
                                                   Charset charset = Charset::Gbk);

/// The strict form, for recognising a pasted text: the bytes the text spells (hard breaks as the
/// bytes CR LF, soft breaks removed), when the whole text is quoted-printable -- ASCII only, at
/// least one escape of a byte from 0x80, and every "=" beginning an escape or a soft break.
/// Nothing otherwise. The bytes are not checked against any charset.
[[nodiscard]] std::optional<std::string> QuotedPrintableDecodeBytes(std::u16string_view text);

} // namespace kelvaro
