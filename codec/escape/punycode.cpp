#include "codec/escape/punycode.h"

#include "text/idna.h"

namespace kelvaro {
namespace {

bool IsBlankOrBreak(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// What a browser never takes as a part of a host name, though IDNA alone would pass it.
bool IsForbiddenInHost(char16_t c) {
  return c < 0x21 || std::u16string_view(u"#/:<>?@[\\]^|%").find(c) != std::u16string_view::npos;
}

struct HostSpan {
  std::size_t start;
  std::size_t size;
};

// Where the host stands: the text between the blanks around it, or in a URL the part after "://"
// and any "user@", up to a port, path, query or fragment.
HostSpan FindHost(std::u16string_view text) {
  std::size_t start = 0;
  std::size_t end = text.size();
  while (start < end && IsBlankOrBreak(text[start]))
    ++start;
  while (end > start && IsBlankOrBreak(text[end - 1]))
    --end;
  const std::u16string_view trimmed = text.substr(start, end - start);
  const std::size_t scheme = trimmed.find(u"://");
  if (scheme == std::u16string_view::npos)
    return {start, end - start};
  std::size_t hostStart = start + scheme + 3;
  std::size_t hostEnd = hostStart;
  while (hostEnd < end && text[hostEnd] != u'/' && text[hostEnd] != u'?' && text[hostEnd] != u'#')
    ++hostEnd;
  const std::u16string_view authority = text.substr(hostStart, hostEnd - hostStart);
  if (const std::size_t at = authority.rfind(u'@'); at != std::u16string_view::npos)
    hostStart += at + 1;
  if (const std::size_t colon = text.substr(hostStart, hostEnd - hostStart).find(u':');
      colon != std::u16string_view::npos)
    hostEnd = hostStart + colon;
  return {hostStart, hostEnd - hostStart};
}

Result<std::u16string> ConvertHost(std::u16string_view text,
                                   std::optional<std::u16string> (*convert)(std::u16string_view)) {
  const HostSpan host = FindHost(text);
  if (host.size == 0)
    return Fail(ErrorCode::NotAHostName, host.start);
  for (std::size_t i = host.start; i < host.start + host.size; ++i) {
    if (IsForbiddenInHost(text[i]))
      return Fail(ErrorCode::NotAHostName, i);
  }
  const std::optional<std::u16string> converted = (*convert)(text.substr(host.start, host.size));
  if (!converted)
    return Fail(ErrorCode::NotAHostName, host.start);
  std::u16string result;
  result.reserve(text.size() - host.size + converted->size());
  result.append(text.substr(0, host.start));
  result.append(*converted);
  result.append(text.substr(host.start + host.size));
  return result;
}

bool HasAceLabel(std::u16string_view host) {
  for (std::size_t i = 0; i + 4 <= host.size(); ++i) {
    if ((i == 0 || host[i - 1] == u'.') && (host[i] | 0x20) == u'x' &&
        (host[i + 1] | 0x20) == u'n' && host[i + 2] == u'-' && host[i + 3] == u'-')
      return true;
  }
  return false;
}

} // namespace

Result<std::u16string> PunycodeEncode(std::u16string_view text) {
  return ConvertHost(text, IdnaToAscii);
}

Result<std::u16string> PunycodeDecode(std::u16string_view text) {
  return ConvertHost(text, IdnaToUnicode);
}

std::optional<std::u16string> PunycodeDecodeStrictly(std::u16string_view text) {
  for (const char16_t c : text) {
    if (IsBlankOrBreak(c) || c >= 0x80)
      return std::nullopt;
  }
  const HostSpan host = FindHost(text);
  if (!HasAceLabel(text.substr(host.start, host.size)))
    return std::nullopt;
  Result<std::u16string> decoded = PunycodeDecode(text);
  if (!decoded)
    return std::nullopt;
  return std::move(*decoded);
}

} // namespace kelvaro
