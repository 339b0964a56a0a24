#pragma once
// Host names between Unicode and their "xn--" Punycode form, as browsers show and send them
// (text/idna.h: UTS #46, non-transitional), on a bare host name or on the host of a URL.

#include "text/result.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

/// The ASCII form of the host: 中文.com gives xn--fiq228c.com. Blanks and line breaks around the
/// text stay where they are. When the text holds "://", only the host of the URL after it is
/// converted (after any "user@", before any ":port", "/", "?" or "#"), and the rest of the URL
/// stays as it is. Fails with NotAHostName when IDNA rejects the host (see IdnaToAscii), or when
/// there is no host at all.
[[nodiscard]] Result<std::u16string> PunycodeEncode(std::u16string_view text);

/// The Unicode form of the host: xn--fiq228c.com gives 中文.com, of a bare name or of the host of
/// a URL, as PunycodeEncode finds it. Fails with NotAHostName when IDNA rejects the host (see
/// IdnaToUnicode), or when there is no host at all.
[[nodiscard]] Result<std::u16string> PunycodeDecode(std::u16string_view text);

/// The strict form, for recognising a pasted text: the text with its host in Unicode, when the
/// text is a host name or URL (no blanks inside it) whose host has at least one "xn--" label and
/// decodes without any error. Nothing otherwise.
[[nodiscard]] std::optional<std::u16string> PunycodeDecodeStrictly(std::u16string_view text);

} // namespace kelvaro
