#include "support/domains.h"

#include "text/box_rule.h"
#include "text/utf.h"

#include <algorithm>

namespace kelvaro::testing {

namespace {

bool Holds(std::u16string_view text, std::u16string_view any) {
  return text.find_first_of(any) != std::u16string_view::npos;
}

bool HasPercentEscape(std::u16string_view text) {
  for (std::size_t i = 0; i + 2 < text.size(); ++i) {
    const auto hex = [](char16_t c) {
      return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
    };
    if (text[i] == u'%' && hex(text[i + 1]) && hex(text[i + 2]))
      return true;
  }
  return false;
}

} // namespace

bool InRoundTripDomain(std::string_view encoder, std::u16string_view box, Charset charset) {
  if (encoder == "url-encode") {
    // In UTF-16 the space's escape %20 is one byte of a two-byte charset: right before another
    // escape (a space's, or another character's) the two read as one character.
    const bool utf16 = charset == Charset::Utf16Le || charset == Charset::Utf16Be;
    for (std::size_t i = 0; utf16 && i + 1 < box.size(); ++i) {
      if (box[i] == u' ' && (box[i + 1] == u' ' || box[i + 1] >= 0x80))
        return false;
    }
    return !Holds(box, u"+") && !HasPercentEscape(box);
  }
  if (encoder == "hex-encode") // GBK codes whatever the charset, and every line break is CR LF
    return !Holds(box, u"\r\n") && box == ApplyTextBoxRule(box, Charset::Gbk);
  if (encoder == "unicode-escape")
    return !Holds(box, u"\\");
  if (encoder == "utf8-encode" || encoder == "uri-component-encode")
    return !HasPercentEscape(box);
  if (encoder == "html-encode") {
    // References to U+0080..U+009F decode to HTML5's replacements, and those to noncharacters
    // (U+FDD0..U+FDEF, U+xFFFE, U+xFFFF) to nothing.
    for (std::size_t i = 0; i < box.size(); ++i) {
      char32_t cp = box[i];
      if (IsHighSurrogate(cp) && i + 1 < box.size() && IsLowSurrogate(box[i + 1]))
        cp = CombineSurrogates(cp, box[++i]);
      if ((cp >= 0x80 && cp <= 0x9F) || (cp >= 0xFDD0 && cp <= 0xFDEF) || (cp & 0xFFFE) == 0xFFFE)
        return false;
    }
    return true;
  }
  if (encoder == "fullwidth")
    return !Holds(box, u"\u3000") && std::none_of(box.begin(), box.end(), [](char16_t c) {
      return c >= 0xFF01 && c <= 0xFF5E;
    });
  // Base64, script escapes: every text.
  return encoder == "base64-encode" || encoder == "escape";
}

} // namespace kelvaro::testing
