#include "support/domains.h"

#include "text/box_rule.h"
#include "text/width.h"
#include "text/utf.h"

#include <algorithm>
#include <unicode/uchar.h>

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

// The mojibake button lower-cases, trims, turns the text full width and drops CR LF pairs before
// it misreads the UTF-8; a text those steps change cannot come back.
bool MojibakeLeavesAlone(std::u16string_view box) {
  if (ToFullWidth(box) != box)
    return false;
  for (std::size_t i = 0; i < box.size(); ++i) {
    const char16_t unit = box[i];
    if ((unit >= 0x20 && unit <= 0x7E) ||
        (unit == u'\r' && i + 1 < box.size() && box[i + 1] == u'\n'))
      return false;
    if (!IsSurrogate(unit) && u_tolower(unit) != unit)
      return false;
  }
  return true;
}

// Whether the charset reads the text's UTF-8, terminator included, as characters that write back
// to the same bytes, the terminator alone as U+0000: then the box keeps the misreading up to the
// terminator and the repair gives the text back.
bool CharsetPairsUtf8Of(std::u16string_view box, Charset charset) {
  std::string bytes = Utf16ToUtf8(box);
  bytes.push_back('\0');
  if (charset == Charset::Utf16Le || charset == Charset::Utf16Be)
    bytes.push_back('\0'); // a whole zero unit
  const std::u16string misread = DecodeBytes(bytes, charset);
  return misread.find(u'\xFFFD') == std::u16string::npos &&
         misread.find(u'\0') == misread.size() - 1 && EncodeText(misread, charset) == bytes &&
         ApplyTextBoxRule(misread) == misread.substr(0, misread.size() - 1);
}

} // namespace

bool InRoundTripDomain(std::string_view encoder, std::u16string_view box, Charset charset) {
  if (encoder == "url-encode") // in UTF-16 too: a space is its two bytes there
    return !Holds(box, u"+") && !HasPercentEscape(box);
  if (encoder == "hex-encode") // GBK codes whatever the charset, and every line break is CR LF
    return !Holds(box, u"\r\n") && CountUnencodable(box, Charset::Gbk) == 0;
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
  if (encoder == "mojibake")
    return MojibakeLeavesAlone(box) && CharsetPairsUtf8Of(box, charset);
  // Base64, script escapes: every text.
  return encoder == "base64-encode" || encoder == "escape";
}

} // namespace kelvaro::testing
