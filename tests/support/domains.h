#pragma once
// Where each encoder and its decoder promise to give the text back, for the property tests and the
// fuzzer alike.

#include "text/charset.h"

#include <string_view>

namespace kelvaro::testing {

/// Whether decoding `encoder`'s result (as its box shows it) gives back `box`, a text as the
/// charset's box keeps it: hex excludes lone CR and LF, URL "+" and text that already holds %XX,
/// \u text that already holds a backslash, HTML U+0080..U+009F, full width what is already
/// full width, mojibake what its preparing steps change (ASCII, capitals, CR LF) and texts whose
/// UTF-8 the charset cannot read back, C escapes a whole b'...', quoted-printable lone CR and LF,
/// punycode every text that is not a host name as its decoder writes it. False for an encoder
/// without a promised round trip.
[[nodiscard]] bool InRoundTripDomain(std::string_view encoder, std::u16string_view box,
                                     Charset charset);

} // namespace kelvaro::testing
